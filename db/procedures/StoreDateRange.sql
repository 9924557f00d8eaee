-- procedure: StoreDateRange
-- param: @UserName VarWChar 50
-- param: @ownID Integer
-- param: @Kind Integer
-- param: @DateFrom Date
-- param: @DateTo Date
-- Replaces the stored date range of one user, owner and kind (1 deal date,
-- 2 value date). A NULL or empty bound is open; with both bounds open nothing
-- is stored, which is no restriction. The time of day of a bound is dropped.
INSERT INTO ArgumentCheck (Reason)
SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL OR @Kind IS NULL;
DELETE FROM FilterDateRange WHERE UserName = @UserName AND OwnerID = @ownID AND Kind = @Kind;
INSERT INTO FilterDateRange (UserName, OwnerID, Kind, DateFrom, DateTo)
SELECT @UserName, @ownID, @Kind, date(@DateFrom), date(@DateTo)
WHERE date(@DateFrom) IS NOT NULL OR date(@DateTo) IS NOT NULL;
