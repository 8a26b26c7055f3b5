#include "StatusPosts.h"

#include "Account.h"
#include "CodePage.h"
#include "CriticalSection.h"
#include "IconCache.h"
#include "ServiceSession.h"
#include "StatusUpdate.h"
#include "TimelineModel.h"

#include <process.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <new>
#include <vector>

namespace {

// The failed posts in the order they failed, under the lock.
CCriticalSection failedLock;
std::deque<FailedPost> failedPosts;
std::atomic<unsigned> postsFailed{0};
std::atomic<unsigned> postsStarted{0};

// What a post thread is handed; it owns and frees it, the text's heap
// buffer of statusBufferSize bytes with it.
struct PostJob {
    PostJob() = default;
    PostJob(const PostJob&) = delete;
    PostJob& operator=(const PostJob&) = delete;
    ~PostJob() { std::free(text); }

    char* text = static_cast<char*>(std::calloc(statusBufferSize, 1));
    char inReplyTo[32] = "";
    unsigned epoch = 0;
};

// Copies at most size - 1 bytes of text, cut between two characters.
void CopyWhole(char* out, int size, const char* text)
{
    const int length = static_cast<int>(std::strlen(text));
    int end = 0;
    while (end < length) {
        const int next = end + CharacterSize(text, length, end);
        if (next > size - 1)
            break;
        end = next;
    }
    std::memcpy(out, text, static_cast<size_t>(end));
    out[end] = 0;
}

void RecordFailure(const PostJob& job)
{
    {
        CLock guard(failedLock);
        try {
            failedPosts.push_back(FailedPost{job.text, job.inReplyTo});
        } catch (const std::bad_alloc&) {
            // Memory is gone; the count below still tells the window.
        }
    }
    ++postsFailed;
}

void Post(const PostJob& job)
{
    ServiceSession::Text token;
    serviceSession.GetToken(token);
    const PostResult result = PostStatus(job.text, token, job.inReplyTo);
    std::vector<std::string> pictures;
    switch (result.outcome) {
    case PostOutcome::Posted:
        // The answer is a timeline page of the account the post was made
        // for; a fetch cycle under way brings the same statuses.
        if (Deliver(job.epoch, [&] {
                if (serviceSession.fetchBusy.load() == 0)
                    ScrapeTimelinePage(result.answer, pictures);
            }))
            Icons().AddAll(pictures);
        return;
    case PostOutcome::Duplicate:
        return;
    case PostOutcome::Refused:
    case PostOutcome::SignedOut:
        // The service forgot the session: the next fetch signs in again.
        Deliver(job.epoch, [] { serviceSession.SetToken(""); });
        RecordFailure(job);
        return;
    case PostOutcome::Failed:
        RecordFailure(job);
        return;
    }
}

void __cdecl PostThread(void* argument)
{
    PostJob* const job = static_cast<PostJob*>(argument);
    Post(*job);
    delete job;
}

// False when the text's buffer could not be had.
bool Prepare(PostJob& job, const char* text, const char* inReplyTo)
{
    if (job.text == nullptr)
        return false;
    CopyWhole(job.text, statusBufferSize, text);
    CopyWhole(job.inReplyTo, sizeof job.inReplyTo, inReplyTo != nullptr ? inReplyTo : "");
    job.epoch = AccountEpoch();
    return true;
}

} // namespace

void RunStatusPost(const char* text, const char* inReplyTo)
{
    PostJob job;
    if (Prepare(job, text, inReplyTo))
        Post(job);
}

bool StartStatusPost(const char* text, const char* inReplyTo)
{
    PostJob* const job = new (std::nothrow) PostJob;
    if (job == nullptr)
        return false;
    if (!Prepare(*job, text, inReplyTo) || _beginthread(PostThread, 0, job) == static_cast<uintptr_t>(-1L)) {
        delete job;
        return false;
    }
    ++postsStarted;
    return true;
}

bool TakeFailedPost(FailedPost& post)
{
    CLock guard(failedLock);
    if (failedPosts.empty())
        return false;
    post = std::move(failedPosts.front());
    failedPosts.pop_front();
    return true;
}

void KeepFailedPost(const FailedPost& post)
{
    CLock guard(failedLock);
    try {
        failedPosts.push_front(post);
    } catch (const std::bad_alloc&) {
    }
}

void WaitingFailedPosts(std::vector<FailedPost>& posts)
{
    CLock guard(failedLock);
    try {
        posts.assign(failedPosts.begin(), failedPosts.end());
    } catch (const std::bad_alloc&) {
        posts.clear();
    }
}

unsigned PostsFailed()
{
    return postsFailed.load();
}

unsigned PostsStarted()
{
    return postsStarted.load();
}
