// The entry point of a windowed program built on the class layer. It is linked
// into the program itself (not taken from the library), so the C runtime's start
// code finds it.
#include "afxapp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
