// Compiled for a target that links text/ and not emit/: the first include
// resolves, the second must not.
#include "text/utf8.h"
#include "emit/header_writer.h"
