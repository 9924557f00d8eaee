-- procedure: GetBrokerInfo
-- param: @ParamMainInfo SmallInt
-- result 1: BrID Integer, ShortName VarWChar, FullName VarWChar, CommissionRate Double, CommissionCcy VarWChar, Active Boolean
-- The brokers for the broker value lists. @ParamMainInfo 0 (or NULL) lists
-- every broker, since old deals still name brokers that are no longer used;
-- any other value lists only the active ones.
SELECT BrID, ShortName, FullName, CommissionRate, CommissionCcy, Active
FROM Brokers
WHERE COALESCE(@ParamMainInfo, 0) = 0 OR Active = 1
ORDER BY ShortName, BrID;
