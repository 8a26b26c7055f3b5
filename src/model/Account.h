#ifndef LARKSPUR_MODEL_ACCOUNT_H
#define LARKSPUR_MODEL_ACCOUNT_H

#include <functional>

// The account the workers work for, and the one place where what they bring
// back meets it.
//
// Every fetch cycle, sign-in and status post notes the account's epoch when
// it starts; its results (statuses, the token, the login state) go in only
// through Deliver, which drops them when the account has changed since. So a
// page of the account the user left never reaches the new list, and a slow
// sign-in with the old password never reports a failure after the user saved
// the right one.

// The epoch of the account now.
unsigned AccountEpoch();

// Takes an account from saved settings. When the user or the password
// differs from the session's, the epoch moves on, the token goes (the next
// fetch signs in anew), the timeline starts over, and the result is true.
// Either way the login state is reset: the saved values answer a failed
// sign-in.
bool ChangeAccount(const char* user, const char* password);

// Runs deliver while the account cannot change, when epoch is still the
// account's epoch: true then, false (deliver not run) when it changed since.
// Deliver takes the account's lock and, inside it, may take the store's.
bool Deliver(unsigned epoch, const std::function<void()>& deliver);

#endif
