#pragma once

// Processes events until a timer started now, due in ms, has fired. Timers of
// one thread fire in the order they are due, so by then every timer of this
// thread due earlier has fired too, however late a busy machine runs them:
// "nothing happened by then" holds without guessing a wait. False when the
// timer has not fired within limitMs.
bool waitPastDue(int ms, int limitMs = 60000);
