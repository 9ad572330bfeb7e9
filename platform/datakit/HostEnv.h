#pragma once
// What the host tells the services about itself: today's date and the hosted (cloud) mode.

#include "rtl/DateTime.h"

// Today's local date (honours TZ), without time of day.
TDateTime Date();

// True when the host runs in its hosted (cloud) mode, where no confirmation dialogs are asked.
// False until the host calls SetEhCloud. Thread-safe.
bool EhCloud();
void SetEhCloud(bool on);
