#pragma once

#include "Error.h"

#include <QString>

struct sqlite3;

namespace data {

class ExecutionControl;

/// The Error for a failed sqlite3 call, numbered as callers expect:
/// an interrupt is Cancelled or Timeout (as the control says), a busy or
/// locked database Unspecified, a write through a read-only handle ReadOnly,
/// anything else in a statement ErrorsInCommand. NativeError is SQLite's
/// extended result code, Description SQLite's message, after "context: "
/// when a context (a procedure name) is given.
ErrorPtr makeSqliteError(sqlite3 *db, int rc, const ExecutionControl *control,
                         const QString &context = {});

} // namespace data
