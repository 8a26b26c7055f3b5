#include "MainFrame.h"

#include "ResourceIds.h"
#include "TimelineModel.h"
#include "WorkerGate.h"

#include <process.h>

#include <atomic>
#include <cstdio>
#include <cstring>

// A changed mute list takes effect at once, without a fetch. Deciding it
// for a few thousand statuses takes less than a frame and is done here; for
// a large list of statuses (some 15 ms a word at a million) a worker decides
// it on a view of its own while the window goes on, and a short timer brings
// the result, as for the find. Until then the rows stay as they were.
struct MainFrame::MuteJob {
    TimelineSnapshot view;
    MuteList list;
    MutedArrivals result;
    std::atomic<bool> done{false};
};

namespace {

// Statuses times words (plus one for the authors) decided on the window
// thread; more goes to a worker.
const long long muteWorkOnWindow = 200000;
const UINT mutePollMs = 15;

void RunMute(void* argument)
{
    std::shared_ptr<MainFrame::MuteJob>* const held = static_cast<std::shared_ptr<MainFrame::MuteJob>*>(argument);
    MainFrame::MuteJob& job = **held;
    {
        const WorkerGate::Pass pass(&ShutdownGate());
        if (pass.IsInside())
            job.result = job.view.MutedBy(job.list);
        job.view = TimelineSnapshot();
    }
    job.done.store(true);
    delete held;
}

} // namespace

void MainFrame::ApplyMutes(const MuteList& list)
{
    if (list == shownMutes && muteJob == nullptr)
        return;
    const TimelineSnapshot& view = shownTimeline.View();
    const long long work = static_cast<long long>(view.GetCount()) * (static_cast<long long>(list.Words().size()) + 1);
    if (list.IsEmpty() || work <= muteWorkOnWindow) {
        muteJob = nullptr;
        ShowMutes(list, list.IsEmpty() ? MutedArrivals() : view.MutedBy(list));
        return;
    }
    // A later change wins: the result of a job it replaced is dropped.
    std::shared_ptr<MuteJob> job = std::make_shared<MuteJob>();
    job->view = view;
    job->list = list;
    std::shared_ptr<MuteJob>* const held = new std::shared_ptr<MuteJob>(job);
    if (_beginthread(RunMute, 0, held) == static_cast<uintptr_t>(-1L)) {
        delete held;
        ShowMutes(list, view.MutedBy(list));
        return;
    }
    muteJob = job;
    SetTimer(muteTimerId, mutePollMs);
}

void MainFrame::OnMuteTick()
{
    if (muteJob == nullptr || !muteJob->done.load()) {
        if (muteJob == nullptr)
            ::KillTimer(handle, muteTimerId);
        return;
    }
    ::KillTimer(handle, muteTimerId);
    const std::shared_ptr<MuteJob> job = std::move(muteJob);
    ShowMutes(job->list, std::move(job->result));
}

// The rows made anew without what list mutes; the selected status stays
// selected while it is shown, and the view keeps its top status in place.
void MainFrame::ShowMutes(const MuteList& list, MutedArrivals muted)
{
    char selectedId[sizeof TimelineEntry::statusId + 1] = "";
    char topId[sizeof TimelineEntry::statusId + 1] = "";
    TimelineEntry entry;
    if (shownTimeline.GetEntry(timelineView.GetSelectedIndex(), entry))
        std::memcpy(selectedId, entry.statusId, sizeof entry.statusId);
    if (shownTimeline.GetEntry(timelineView.GetTopIndex(), entry))
        std::memcpy(topId, entry.statusId, sizeof entry.statusId);

    shownMutes = list;
    shownTimeline.ShowMuted(std::move(muted), list);
    const int count = shownTimeline.GetCount();
    selectingByProgram = true;
    timelineView.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    timelineView.SetItemCountEx(count, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    const int selected = shownTimeline.IndexOf(selectedId);
    if (selected >= 0)
        timelineView.SetItemState(selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    selectingByProgram = false;
    const int top = shownTimeline.IndexOf(topId);
    timelineView.ScrollTopTo(top >= 0 ? top : 0);
    timelineView.Invalidate(true);
    ShowSelectedStatus();
    ShowCounts();
}
