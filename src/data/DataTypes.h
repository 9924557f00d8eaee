#pragma once

// The constants of the database access interface. Their numeric values are the
// ones the reports pass and compare (CommandType 4, option 16, CursorLocation 3,
// adStatus 4 ...), so they are kept exactly as the callers know them.

namespace data {

/// Field and parameter types. Every type can hold null.
enum class DataType : int {
    Empty = 0,
    SmallInt = 2,   ///< 16-bit integer
    Integer = 3,    ///< 32-bit integer
    Double = 5,
    Currency = 6,   ///< 64-bit fixed point with four decimals, see Currency
    Date = 7,       ///< whole-second civil timestamp, see DateTime
    BStr = 8,       ///< string
    Boolean = 11,
    Variant = 12,   ///< any of the others, chosen per value
    BigInt = 20,    ///< 64-bit integer
    VarChar = 200,  ///< string
    VarWChar = 202, ///< string
};

/// True for the three string types.
constexpr bool isStringType(DataType t)
{
    return t == DataType::BStr || t == DataType::VarChar || t == DataType::VarWChar;
}

/// Object states as returned by State(). Values other than 0 and 1 mean busy.
enum ObjectState : int {
    adStateClosed = 0,
    adStateOpen = 1,
    adStateConnecting = 2,
    adStateExecuting = 4,
};

/// adStatus of ExecuteComplete.
enum EventStatus : int {
    adStatusOK = 1,
    adStatusErrorsOccurred = 2,
    adStatusCancel = 4,
};

enum CommandTypeEnum : int {
    adCmdUnknown = 8,
    adCmdText = 1,
    adCmdStoredProc = 4,
};

enum ExecuteOptionEnum : int {
    adOptionUnspecified = -1,
    adAsyncExecute = 0x10,
};

enum CursorLocationEnum : int {
    adUseServer = 2,
    adUseClient = 3,
};

enum CursorTypeEnum : int {
    adOpenForwardOnly = 0,
    adOpenStatic = 3,
};

enum LockTypeEnum : int {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockBatchOptimistic = 4,
};

/// Connection modes; 1 is read only: every write through the connection fails.
enum ConnectModeEnum : int {
    adModeUnknown = 0,
    adModeRead = 1,
    adModeReadWrite = 3,
};

enum ParameterDirectionEnum : int {
    adParamInput = 1,
    adParamOutput = 2,
    adParamInputOutput = 3,
    adParamReturnValue = 4,
};

/// Options asked of Recordset::Supports().
enum CursorOptionEnum : long {
    adAddNew = 0x1000400,
    adBookmark = 0x2000,
    adApproxPosition = 0x4000,
    adFind = 0x80000,
};

/// Field attributes accepted by Fields::Append(). -1 means "unspecified".
enum FieldAttributeEnum : int {
    adFldUnspecified = -1,
    adFldMayBeNull = 0x40,
};

enum SearchDirectionEnum : int {
    adSearchForward = 1,
    adSearchBackward = -1,
};

} // namespace data
