// The boundary between the data-access classes and the engine: every call
// into the engine goes through EngineCall, so that the engine's errors leave
// the layer as CDaoException (with the engine's error record) and a lack of
// memory as CMemoryException.
#pragma once
#include "dao_exception.h"
#include "jet/base/error.h"
#include <exception>
#include <new>
#include <string>

// Throws a CDaoException carrying the engine's error number and description.
[[noreturn]] void ThrowEngineError(long lErrorCode, const std::string& description);

template <class F>
auto EngineCall(F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const jet::Error& e) {
        ThrowEngineError(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        AfxThrowMemoryException();
    } catch (const std::exception& e) {
        // Not one of the engine's own errors: still the engine's failure, told
        // in the words the failing part gave.
        ThrowEngineError(0, e.what());
    }
}
