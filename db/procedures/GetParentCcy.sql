-- procedure: GetParentCcy
-- param: @CcyName VarWChar 10
-- result 1: Ccy VarWChar
-- The code of the currency a currency code belongs to: its parent's code, or
-- its own code when it has no parent. No row for an unknown code.
SELECT COALESCE(p.Ccy, c.Ccy) AS Ccy
FROM Currencies c
LEFT JOIN Currencies p ON p.CcyID = c.ParentCcyID
WHERE c.Ccy = @CcyName;
