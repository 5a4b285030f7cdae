// What a pending action's verb makes when it runs, as the power double and the
// reminders record it, with no dial-up connection open. Which call each verb
// makes is PendingAction's own table test; the tests of the scheduler, the
// menu and the simulated year compare with this, so they check that the verb
// a user was shown is the one that ran.
#pragma once

#include <string>
#include <vector>

#include "actions/countdown.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_reminders.h"

namespace velmaro {

inline std::vector<std::string> CallsOfVerb(const std::string& verb) {
  RecordingPower power;
  FakeDialUp noDialUp;
  FakeReminders reminders;
  RunPendingAction(verb, power, noDialUp, reminders);
  std::vector<std::string> calls = power.calls;
  calls.insert(calls.end(), reminders.shown.begin(), reminders.shown.end());
  return calls;
}

}  // namespace velmaro
