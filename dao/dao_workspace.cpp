#include "dao_workspace.h"
#include "engine_call.h"
#include "engine_text.h"
#include "jet/compaction/compact.h"
#include <exception>

void PASCAL CDaoWorkspace::CompactDatabase(LPCTSTR lpszSrcName, LPCTSTR lpszDestName, LPCTSTR lpszLocale, int nOptions)
{
    CompactDatabase(lpszSrcName, lpszDestName, lpszLocale, nOptions, std::function<void()>());
}

void PASCAL CDaoWorkspace::CompactDatabase(LPCTSTR lpszSrcName, LPCTSTR lpszDestName, LPCTSTR lpszLocale, int nOptions,
                                           const std::function<void()>& fnWhileHeld)
{
    const std::string source = EngineText(lpszSrcName);
    const std::string destination = EngineText(lpszDestName);
    const std::string locale = lpszLocale ? EngineText(lpszLocale) : std::string();
    // The caller's step runs outside the engine's error translation: what it
    // throws is its own.
    std::exception_ptr heldFailure;
    const std::function<void()> whileHeld = [&] {
        if (!fnWhileHeld) return;
        try {
            fnWhileHeld();
        } catch (...) {
            heldFailure = std::current_exception();
        }
    };
    EngineCall([&] { jet::compact(source, destination, locale, nOptions, whileHeld); });
    if (heldFailure) std::rethrow_exception(heldFailure);
}
