#pragma once
// The service's web pages the program sends the user to. The web-site pages
// take the account's name and password hash in the query of the web host of
// the account's mail domain; help and feedback go through the account
// service's sign-in redirect while signed in. Every address opens maximised.
#include <juce_core/juce_core.h>

#include "mfc/Afx.h"

extern const wchar_t* const kHelpPageUrl;
extern const wchar_t* const kFeedbackPageUrl;

// The web host of the account's mail domain (after the last "@", compared in
// lower case); empty (and logged) for a name without one or an unknown domain.
juce::String GetURLHead(const juce::String& userName);
// The web site at the list of the sync folder.
void OpenAccountWebsite(const juce::String& userName, const juce::String& passwordHash, juce::int64 rootFolderId);
// The web site's credit (upgrade) page.
void OpenCreditGuidePage(const juce::String& userName, const juce::String& passwordHash);
// The target wrapped in the sign-in redirect while signed in, else the target.
void BuildSignedInUrl(CString& out, const CString& target);
// The help page, signed in when the account is.
void OpenHelpCenter();
// The feedback page, signed in when the account is.
void OpenFeedbackPage();
