#ifndef LARKSPUR_APP_STATUSLINE_H
#define LARKSPUR_APP_STATUSLINE_H

#include <cstring>

// What pane 0 of the status bar says, decided in one place. Each part of the
// window only states what it knows (a failed login reported, the list being
// refreshed, a post that failed, the outcome of a find); Text says which
// message wins, in this order:
//   the login error, until the next fetch starts;
//   "リスト更新中" while the list takes new statuses;
//   the failed post, until the user sends again;
//   the find's outcome, until the next fetch starts;
//   "タイムライン受信中 ..." while a fetch runs;
//   "Ready".
class StatusLine {
public:
    static constexpr char readyText[] = "Ready";
    static constexpr char receivingText[] = "タイムライン受信中 ...";
    static constexpr char refreshingText[] = "リスト更新中";
    static constexpr char postFailedText[] = "投稿できませんでした";
    static constexpr char loginErrorText[] = "ログインエラー";

    bool loginError = false;
    bool refreshing = false;
    bool postFailed = false;

    void SetFindNotice(const char* text)
    {
        std::strncpy(findNotice, text, sizeof findNotice - 1);
        findNotice[sizeof findNotice - 1] = 0;
    }

    const char* Text(bool receiving) const
    {
        if (loginError)
            return loginErrorText;
        if (refreshing)
            return refreshingText;
        if (postFailed)
            return postFailedText;
        if (findNotice[0] != 0)
            return findNotice;
        return receiving ? receivingText : readyText;
    }

private:
    char findNotice[64] = "";
};

#endif
