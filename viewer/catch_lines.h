// The log lines of the catch clauses around database calls.
#pragma once
#include "afx.h"

// The line for an exception caught by a guard, chosen by its run-time class:
//   CDaoException          "DAO--Exception: " and the engine's description (for
//                          the data-access layer's own errors, which carry no
//                          engine error record, a sentence naming the error)
//   CMemoryException       "non DAO--Memory exception thrown."
//   any other CException   "generic catch thread not null", or "generic catch no
//                          thread" on a thread without a thread object.
CString CatchLine(CException* e);
