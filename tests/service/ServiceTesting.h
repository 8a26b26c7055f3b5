#ifndef LARKSPUR_TESTS_SERVICETESTING_H
#define LARKSPUR_TESTS_SERVICETESTING_H

#include "TimelineEntry.h"

#include <string>
#include <vector>

// What the service tests share: the process-wide timeline seen through the
// readers' interface, fetch cycles run to their end, and statuses put on the
// simulator's timeline with ids chosen by the test (the store only grows, so
// every test uses ids of its own).
namespace ServiceTesting {

// Resets the simulator and the session (no token, no fetch running, login
// state ready); adds the account user/password.
void FreshStart(const std::string& user = "alice", const std::string& password = "wonderland");

// Adds a status to the simulator's timeline; text is plain text in UTF-8.
bool AddStatus(const std::string& id, const std::string& user, const std::string& text,
               const std::string& icon = std::string());

// Runs one fetch cycle on a worker thread, as the program does, and pumps
// messages until fetchBusy is 0 again. False when it did not end in time.
bool RunFetchCycle(int timeoutMs = 30000);

// The stored entry with this statusId, if any.
bool FindEntry(const std::string& statusId, TimelineEntry& entry);
int StoreCount();

// Names of the files in the temporary folder.
std::vector<std::string> TempFiles();

// UTF-8 to the system code page and back, through the platform.
std::string ToAnsi(const std::string& utf8);

} // namespace ServiceTesting

#endif
