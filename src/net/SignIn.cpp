#include "SignIn.h"

#include "CodePageConversion.h"
#include "FormEncoding.h"
#include "HttpTransport.h"
#include "PageText.h"
#include "ServiceSession.h"
#include "WebAddress.h"

namespace {

const char tokenMarker[] = "authenticity_token\" type=\"hidden\" value=\"";

const char* const failureMarkers[] = {
    "Invalid request parameters;",
    "パスワードの組み合わせが間違って",
    "２つの文字を見つけて入力してください",
};

// The hidden field's value, or the empty string when the field or its closing
// quote is missing.
CString ScrapeToken(const CString& page)
{
    const int marker = page.Find(tokenMarker);
    if (marker < 0)
        return CString();
    const int start = marker + static_cast<int>(sizeof tokenMarker) - 1;
    const int end = page.Find("\"", start);
    if (end < 0)
        return CString();
    return page.Mid(start, end - start);
}

// A form value (system code page) in UTF-8, as the site reads its forms. A
// value of at most 255 bytes takes at most 3 UTF-8 bytes per byte; one that
// cannot be converted goes as stored, and the site refuses it as a wrong login.
CString Utf8Of(const char* value)
{
    char utf8[3 * sizeof(ServiceSession::Text) + 1];
    if (value[0] == 0 || ConvertCodePage(value, utf8, sizeof utf8, AnsiToUtf8) <= 0)
        return CString(value);
    return CString(utf8);
}

} // namespace

bool IsSignedOutPage(const CString& page)
{
    const CString signInForm = CString("action=\"") + SignInAddress() + "\"";
    return page.Find(signInForm) >= 0 && page.Find("<li class=\"hentry ") < 0;
}

SignInResult SignIn(const char* user, const char* password)
{
    SignInResult result;
    CString frontPage;
    int status = 0;
    PostForm(WebBaseAddress(), "", frontPage, &status);
    if (status == 0)
        return result;
    // Kept, and sent, as the session keeps it: at most 255 characters.
    result.token = ScrapeToken(frontPage);
    const int tokenLength = static_cast<int>(sizeof(ServiceSession::Text)) - 1;
    if (result.token.GetLength() > tokenLength)
        result.token = result.token.Mid(0, tokenLength);

    CString form("authenticity_token=");
    form += FormEncode(result.token);
    form += "&session%5Busername_or_email%5D=";
    form += FormEncode(Utf8Of(user));
    form += "&session%5Bpassword%5D=";
    form += FormEncode(Utf8Of(password));
    form += "&q=";

    CString answer;
    PostForm(SignInAddress(), form, answer, &status);
    if (status == 0)
        return result;
    ConvertPageFromUtf8(answer);
    // Any one of the failure texts fails the sign-in; any other answer
    // counts as signed in.
    result.outcome = ContainsAny(answer, failureMarkers, sizeof failureMarkers / sizeof failureMarkers[0])
                         ? SignInOutcome::Refused
                         : SignInOutcome::SignedIn;
    return result;
}
