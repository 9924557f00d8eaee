-- Indexes of the deal tables, created after the tables (and after a bulk load).
-- Both tables get the same set, since a report may read their union.

-- one day's deals (open position) and trade-date ranges
CREATE INDEX IX_Tickets_DealTime ON Tickets (DealTime);
-- value-date ranges of the first leg (cash flow, profit and loss); the deal
-- time and type let the deals carried into a day be picked from the index
CREATE INDEX IX_Tickets_ValDate ON Tickets (ValDateP1C1, DealTime, PureDealType);
-- second legs: swap far legs and deposit maturities
CREATE INDEX IX_Tickets_ValDate2 ON Tickets (ValDateP2C1, ValDateP1C1, DealTime, PureDealType);
-- a pair's deals in time order (position history)
CREATE INDEX IX_Tickets_Pair ON Tickets (PairID, DealTime);
-- a currency's flows by value date (single currency, cash flow)
CREATE INDEX IX_Tickets_Ccy1 ON Tickets (Ccy1, ValDateP1C1);
-- the second currency's flows by value date
CREATE INDEX IX_Tickets_Ccy2 ON Tickets (Ccy2, ValDateP1C2);
-- a counterparty's deals (netting)
CREATE INDEX IX_Tickets_Counterparty ON Tickets (CPID);
-- the deal ticket look-up by TCID, ticket number and deal day (ticket numbers start again each day)
CREATE INDEX IX_Tickets_Ticket ON Tickets (TCID, TicketNum, DealTime);

CREATE INDEX IX_Archive_DealTime ON Archive (DealTime);
CREATE INDEX IX_Archive_ValDate ON Archive (ValDateP1C1, DealTime, PureDealType);
CREATE INDEX IX_Archive_ValDate2 ON Archive (ValDateP2C1, ValDateP1C1, DealTime, PureDealType);
CREATE INDEX IX_Archive_Pair ON Archive (PairID, DealTime);
CREATE INDEX IX_Archive_Ccy1 ON Archive (Ccy1, ValDateP1C1);
CREATE INDEX IX_Archive_Ccy2 ON Archive (Ccy2, ValDateP1C2);
CREATE INDEX IX_Archive_Counterparty ON Archive (CPID);
CREATE INDEX IX_Archive_Ticket ON Archive (TCID, TicketNum, DealTime);
