// Everything of the framework in one include.
#pragma once

#include "framework/Classes.h"
#include "framework/ComCtrls.h"
#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Gbk.h"
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/Layout.h"
#include "framework/Memo.h"
#include "framework/Menus.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "framework/TabCtrls.h"
#include "framework/Strings.h"
#include "framework/WebBrowser.h"
