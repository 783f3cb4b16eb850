#include "site/LinkSafety.h"

#include "framework/StrList.h"
#include "framework/Url.h"
#include "platform/UrlSafety.h"
#include "site/NodeUrl.h"

bool LinkSafeToFollow(std::string_view link, const ToBeOpenTN& page) {
    if (platform::UrlCarriesControlBytes(link)) return false;
    // The page's own URL is asked for only in the rare case that needs it.
    return !platform::UrlNamesOtherServicePort(link) || platform::SameOrigin(link, nodeUrl(&page).view());
}

bool CredentialsMayGoTo(const StrList& startUrls, std::string_view url) {
    for (StrNode* n : each<StrNode>(startUrls)) {
        if (n->str.empty()) continue;
        if (platform::SameOrigin(url::normalizeAddress(n->str.view(), true).view(), url)) return true;
    }
    return false;
}
