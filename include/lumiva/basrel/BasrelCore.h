// Everything of the host library's core in one include: files, settings,
// tables, locks, timers, sounds, texts, log, ids, random numbers, the
// line-break rules, sprites, JPEG pictures and BMP files.
#pragma once

#include "DataRoot.h"
#include "DebugLog.h"
#include "FileNameId.h"
#include "HostGlobals.h"
#include "HostRandom.h"
#include "JpegImage.h"
#include "KBmpFile24.h"
#include "KIniFile.h"
#include "KMutex.h"
#include "KPakFile.h"
#include "KStringMap.h"
#include "KTabFile.h"
#include "KTimer.h"
#include "KWavSound.h"
#include "LineBreak.h"
#include "Palette.h"
#include "SprFile.h"
