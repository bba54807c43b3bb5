#pragma once
// The shared test kit (tests/kit) under its former name: temporary folders, whole-file reads and
// writes, hex diffs of octet strings, the shared data folder. The standard headers are those its
// users have had through it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kit/Files.h"
#include "kit/Octets.h"
#include "kit/SharedData.h"
