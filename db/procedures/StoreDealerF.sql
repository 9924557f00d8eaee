-- procedure: StoreDealerF
-- param: @ownID Integer
-- param: @UserName VarWChar 50
-- param: @isDelete SmallInt
-- param: @StaffID Integer
-- param: @ShortName VarWChar 50
-- The stored dealer selection of one user and owner, changed one entry per
-- call: @isDelete 2 clears the selection (@StaffID and @ShortName are not
-- read), 1 adds the dealer @StaffID with its short name (adding a dealer
-- again replaces its short name). A caller stores a list by clearing once and
-- adding each dealer; an empty selection is no restriction.
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
INSERT INTO ArgumentCheck (Reason) SELECT 'isDelete' WHERE @isDelete IS NULL OR @isDelete NOT IN (1, 2);
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @isDelete = 1 AND @StaffID IS NULL;
DELETE FROM FilterDealer
WHERE UserName = @UserName AND OwnerID = @ownID
  AND (@isDelete = 2 OR StaffID = @StaffID);
INSERT INTO FilterDealer (UserName, OwnerID, StaffID, ShortName)
SELECT @UserName, @ownID, @StaffID, @ShortName WHERE @isDelete = 1;
