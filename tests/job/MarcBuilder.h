#pragma once
// The kit's record builder: BuildRecord({"001 12345", "856 40 $uhttp://a$zNote"}, type, encoding).
#include "../kit/MarcBuilder.h"
