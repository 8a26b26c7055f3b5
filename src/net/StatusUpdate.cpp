#include "StatusUpdate.h"

#include "CodePageConversion.h"
#include "FormEncoding.h"
#include "HttpTransport.h"
#include "PageText.h"
#include "SignIn.h"
#include "WebAddress.h"

namespace {

// The service's refusal (no valid session or token) and its duplicate page.
const char refusalMarker[] = "403 Forbidden: The server understood";
const char duplicateMarker[] = "同じことをすでにツイートしています。";

} // namespace

PostResult PostStatus(const char* text, const char* token, const char* inReplyTo)
{
    // 140 characters of the system code page take at most 420 UTF-8 bytes;
    // anything longer is cut at 511 bytes.
    char utf8[512];
    utf8[0] = 0;
    ConvertCodePage(text, utf8, sizeof utf8, AnsiToUtf8);

    CString form("authenticity_token=");
    form += FormEncode(token);
    form += "&status=";
    form += FormEncode(utf8);
    if (inReplyTo != nullptr && inReplyTo[0] != 0) {
        form += "&in_reply_to_status_id=";
        form += FormEncode(inReplyTo);
    }

    PostResult result;
    int status = 0;
    PostForm(StatusUpdateAddress(), form, result.answer, &status);
    ConvertPageFromUtf8(result.answer);
    if (result.answer.Find(refusalMarker) >= 0)
        result.outcome = PostOutcome::Refused;
    else if (result.answer.Find(duplicateMarker) >= 0)
        result.outcome = PostOutcome::Duplicate;
    else if (status != 200 || result.answer.IsEmpty())
        result.outcome = PostOutcome::Failed;
    // A site that sends a signed-out visitor to its front page rather than
    // refusing: the text did not go in.
    else if (IsSignedOutPage(result.answer))
        result.outcome = PostOutcome::SignedOut;
    else
        result.outcome = PostOutcome::Posted;
    return result;
}
