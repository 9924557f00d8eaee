-- procedure: GetCustomEditValue
-- param: @CustomID SmallInt
-- result 1: CustomValue Integer
-- One site switch; no row when the switch is not set up.
SELECT CustomValue
FROM CustomSettings
WHERE CustomID = @CustomID;
