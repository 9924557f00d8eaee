-- procedure: GetAllCpID
-- result 1: CPID Integer, FullBankName VarWChar, ShortName VarWChar
-- Every counterparty, for the counterparty value lists.
SELECT CPID, FullBankName, ShortName
FROM Counterparties
ORDER BY CPID;
