#include "dao_workspace.h"
#include "engine_call.h"
#include "engine_text.h"
#include "jet/compact.h"

void PASCAL CDaoWorkspace::CompactDatabase(LPCTSTR lpszSrcName, LPCTSTR lpszDestName, LPCTSTR lpszLocale, int nOptions)
{
    const std::string source = EngineText(lpszSrcName);
    const std::string destination = EngineText(lpszDestName);
    const std::string locale = lpszLocale ? EngineText(lpszLocale) : std::string();
    EngineCall([&] { jet::compact(source, destination, locale, nOptions); });
}
