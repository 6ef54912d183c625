// What the application tests share: the program's resources, a profile in a scratch
// folder, and a message-box seam that records the texts.
#pragma once

#include "recording_message_box.h"
#include "scratch_profile.h"

#include <QSettings>
#include <QTemporaryDir>

#include "kestrin_app.h"
#include "kestrin_resources.h"
#include "message_box.h"
#include "resources.h"
