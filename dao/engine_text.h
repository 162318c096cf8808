// Text between the program and the engine: the program's strings are in its
// single-byte code page (CP_ACP), the engine's in UTF-8 (names, query texts,
// paths, error descriptions) or UTF-16 (field values).
#pragma once
#include "afxstr.h"
#include <string>

std::string EngineText(LPCSTR lpszText);
CString ProgramText(const std::string& utf8);
CString ProgramText(const std::u16string& utf16);
// The text converted to the program's code page (not UTF-16), the form an
// ANSI program gets text values in as a BSTR's bytes; into `out`, whose
// storage is reused.
void ProgramBytes(const std::u16string& utf16, std::string& out);
// The text of a BSTR holding such bytes.
std::u16string ProgramBstrText(BSTR text);
// Whether the engine's SQL reserves the word, so that a name spelled so must
// stand in brackets (the engine's own list, which its parser keeps too).
bool IsEngineReservedWord(LPCSTR lpszName);
