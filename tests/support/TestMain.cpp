#include <windows.h>
#include <winsock2.h>
// GDI+ needs the COM property types that the lean Windows header leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdio>

// The main of every client test executable: refuse to run under any code page
// but 932, then bring up what the program's entry point would (Winsock for the
// control client, GDI+ for the icon decoder).
int main(int argc, char** argv)
{
    const UINT acp = GetACP();
    if (acp != 932) {
        std::fprintf(stderr, "FATAL: GetACP() is %u, not 932; run under LANG=ja_JP.UTF-8\n", acp);
        return 3;
    }
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr);

    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    Gdiplus::GdiplusShutdown(gdiplusToken);
    WSACleanup();
    return result;
}
