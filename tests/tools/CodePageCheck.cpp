#include <windows.h>

#include <cstdio>

// Every client test assumes the ANSI code page 932 (Shift-JIS): Wine takes it
// from LANG=ja_JP.UTF-8. Say so loudly when it is anything else.
int main()
{
    const UINT acp = GetACP();
    if (acp != 932) {
        std::printf("FATAL: GetACP() is %u, not 932. Run Wine with LANG=ja_JP.UTF-8 "
                    "(and generate that locale).\n", acp);
        return 1;
    }
    std::printf("GetACP() = 932\n");
    return 0;
}
