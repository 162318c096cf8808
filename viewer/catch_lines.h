// The log lines of the catch clauses around database calls.
#pragma once
#include "afx.h"

// The line for an exception caught by a guard, chosen by its run-time class:
//   CMemoryException       "non DAO--Memory exception thrown."
//   any other CException   "generic catch thread not null", or "generic catch no
//                          thread" on a thread without a thread object.
// The database layer's CDaoException ("DAO--Exception: " and the engine's
// description) is told apart here first, once that layer exists.
CString CatchLine(CException* e);
