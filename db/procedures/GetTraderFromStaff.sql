-- procedure: GetTraderFromStaff
-- result 1: StaffID Integer, ShortName VarWChar, FullName VarWChar
-- Every trader, active or not: the list names the traders of old deals too.
SELECT StaffID, ShortName, FullName
FROM Staff
WHERE IsTrader = 1
ORDER BY ShortName, StaffID;
