#pragma once
// Resolution of a page's link records to absolute URLs: each record is
// read against the page's base URL (or the page's own URL), an applet's
// records against its codebase first.

#include <string_view>
#include <vector>

#include "framework/AStr.h"
#include "site/ExtractList.h"

struct ResolvedLink {
    ExtractNode* record;
    AStr url;
};

// A link value or codebase as it is combined: character references
// decoded (unless the value comes from text that holds none, as a style
// sheet's does), CR and LF removed, cut at the first '#'.
AStr PrepareLinkValue(std::string_view value, bool decode = true);

// Appends to out, in page order, every record that is to be followed with
// its absolute URL. Records of the base element are skipped, and so are
// not-followed records and records whose URL cannot be built. With check
// on, a result that begins with "http://" but does not split is dropped
// and its record deleted from the list.
void ResolveLinks(ExtractList& links, std::string_view pageUrl, std::string_view baseUrl, bool check,
                  std::vector<ResolvedLink>& out);
