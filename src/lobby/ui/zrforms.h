#pragma once
// The lobby's windows besides the update dialog, each in its own header: the lobby window, the
// sign-up and query dialogs, and the room and player details, status list, location picker and
// user-database console. The main program creates them in its fixed order.
#include <QWidget>

#include "lobby/ui/zrbrowser.h"
#include "lobby/ui/zrdbmanage.h"
#include "lobby/ui/zrpsl.h"
#include "lobby/ui/zrquery.h"
#include "lobby/ui/zrregionform.h"
#include "lobby/ui/zrroomstats.h"
#include "lobby/ui/zrsignupform.h"
#include "lobby/ui/zruserstats.h"
#include "skin/ui/zrskinform.h"
