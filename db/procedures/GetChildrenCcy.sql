-- procedure: GetChildrenCcy
-- param: @ParentCcy VarWChar 10
-- result 1: Ccy VarWChar
-- The codes of the currencies whose parent is @ParentCcy (the parent itself
-- is not among them), in the directory's order.
SELECT c.Ccy AS Ccy
FROM Currencies p
JOIN Currencies c ON c.ParentCcyID = p.CcyID AND c.CcyID <> p.CcyID
WHERE p.Ccy = @ParentCcy
ORDER BY c.SortOrder, c.Ccy;
