#include "engine_text.h"
#include "jet/reading/query.h"
#include <vector>

namespace {
std::wstring Widen(UINT codePage, const char* text, int length)
{
    if (length <= 0) return {};
    const int n = ::MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text, length, wide.data(), n);
    return wide;
}

// Characters the code page lacks become its default character ("?").
std::string Narrow(UINT codePage, const wchar_t* text, int length)
{
    if (length <= 0) return {};
    const int n = ::WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) ::WideCharToMultiByte(codePage, 0, text, length, narrow.data(), n, nullptr, nullptr);
    return narrow;
}

const wchar_t* Wide(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.data()); }
} // namespace

std::string EngineText(LPCSTR lpszText)
{
    if (!lpszText) return {};
    const std::wstring wide = Widen(CP_ACP, lpszText, lstrlenA(lpszText));
    return Narrow(CP_UTF8, wide.data(), static_cast<int>(wide.size()));
}

CString ProgramText(const std::string& utf8)
{
    const std::wstring wide = Widen(CP_UTF8, utf8.data(), static_cast<int>(utf8.size()));
    const std::string ansi = Narrow(CP_ACP, wide.data(), static_cast<int>(wide.size()));
    return CString(ansi.data(), static_cast<int>(ansi.size()));
}

CString ProgramText(const std::u16string& utf16)
{
    const std::string ansi = Narrow(CP_ACP, Wide(utf16), static_cast<int>(utf16.size()));
    return CString(ansi.data(), static_cast<int>(ansi.size()));
}

void ProgramBytes(const std::u16string& utf16, std::string& out)
{
    const int length = static_cast<int>(utf16.size());
    if (length == 0) {
        out.clear();
        return;
    }
    // Three bytes a UTF-16 unit hold the text in any code page: one call.
    out.resize(utf16.size() * 3);
    int n = ::WideCharToMultiByte(CP_ACP, 0, Wide(utf16), length, out.data(), static_cast<int>(out.size()),
                                  nullptr, nullptr);
    if (n <= 0) {
        out = Narrow(CP_ACP, Wide(utf16), length);
        return;
    }
    out.resize(static_cast<size_t>(n));
}

std::u16string ProgramBstrText(BSTR text)
{
    if (!text) return {};
    const std::wstring wide = Widen(CP_ACP, reinterpret_cast<const char*>(text),
                                    static_cast<int>(::SysStringByteLen(text)));
    return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

bool IsEngineReservedWord(LPCSTR lpszName) { return jet::is_reserved_word(lpszName); }
