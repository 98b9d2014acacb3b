// The whole application-framework layer in one include.
#pragma once
#include "framework/App.h"
#include "framework/CmdTarget.h"
#include "framework/Collections.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Module.h"
#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Sync.h"
#include "framework/Wnd.h"
