#pragma once

#include <string>

// The analytics collection address: https, the collection host of the build
// (ZD_GA_HOST), path /mp/collect, and the query
// "measurement_id=G-<ten upper-case letters and digits>&api_secret=<22 letters
// and digits>", both values unescaped.
std::wstring GetGACollectUrl();
