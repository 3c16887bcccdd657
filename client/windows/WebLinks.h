#pragma once
// The service's web pages the program sends the user to. No credential ever
// goes into an address: an address is seen by every local user on the
// opener's command line and kept in the browser's history, so the pages ask
// the user to sign in themselves. The web-site pages name the account, on the
// web host of its mail domain, so that its sign-in page knows whom to ask
// for; help and feedback are plain addresses. Every address opens maximised.
#include <juce_core/juce_core.h>

#include "mfc/Afx.h"

extern const wchar_t* const kHelpPageUrl;
extern const wchar_t* const kFeedbackPageUrl;

// The web host of the account's mail domain (after the last "@", compared in
// lower case); empty (and logged) for a name without one or an unknown domain.
juce::String GetURLHead(const juce::String& userName);
// The web site at the list of the sync folder.
void OpenAccountWebsite(const juce::String& userName, juce::int64 rootFolderId);
// The web site's credit (upgrade) page.
void OpenCreditGuidePage(const juce::String& userName);
// The help page.
void OpenHelpCenter();
// The feedback page.
void OpenFeedbackPage();
