-- procedure: StoreNostroF
-- param: @ownID Integer
-- param: @UserName VarWChar 50
-- param: @isDelete SmallInt
-- param: @NOSTRO SmallInt
-- The stored LORO/NOSTRO selection of one user and owner, changed one entry
-- per call: @isDelete 2 clears the selection (@NOSTRO is not read), 1 adds
-- the code @NOSTRO (2 LORO, 1 NOSTRO, 0 none). An empty selection is no
-- restriction.
INSERT INTO ArgumentCheck (Reason) SELECT 'missing' WHERE @UserName IS NULL OR @ownID IS NULL;
INSERT INTO ArgumentCheck (Reason) SELECT 'isDelete' WHERE @isDelete IS NULL OR @isDelete NOT IN (1, 2);
INSERT INTO ArgumentCheck (Reason) SELECT 'nostro' WHERE @isDelete = 1 AND (@NOSTRO IS NULL OR @NOSTRO NOT IN (0, 1, 2));
DELETE FROM FilterNostro
WHERE UserName = @UserName AND OwnerID = @ownID
  AND (@isDelete = 2 OR LoroNostro = @NOSTRO);
INSERT INTO FilterNostro (UserName, OwnerID, LoroNostro)
SELECT @UserName, @ownID, @NOSTRO WHERE @isDelete = 1;
