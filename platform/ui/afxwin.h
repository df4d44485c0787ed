// Everything an application of the framework includes.
#pragma once

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/screen/devmode.h"
#include "platform/ui/bitmap_button.h"
#include "platform/ui/button.h"
#include "platform/ui/frame_wnd.h"
#include "platform/ui/message_box.h"
#include "platform/ui/resources.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_dc.h"
#include "platform/ui/wintypes.h"
#include "platform/ui/wnd.h"
#include "platform/ui/wnd_class.h"
