#pragma once
// The update record of the start-up update check: the local version text and
// what the update description offers.
#include <string>

struct UpdateInfo {
  UpdateInfo() { Reset(); }
  void Reset();

  // Downloads the update description from the server list's update_xml_url
  // and reads its "Version" element into the fields below. True only when
  // the description arrived with HTTP status 200 and VersionID, Description,
  // URL and MD5 are all non-empty (an unsigned offer still counts: its
  // download then fails).
  bool FetchUpdateXml();
  // Reads a description already on disk; the same result.
  bool ReadUpdateXml(const std::string& path);

  std::string m_sLocalVersion;  // the version file's content
  std::string m_sVersionID;     // UTF-8 from here on
  std::string m_sURL;
  std::string m_sDescription;
  std::string m_sMD5;
  bool m_bSilent;
  // The installer's detached Ed25519 signature in base64 ("Signature").
  std::string m_sSignature;
};

// The version file "Qelmark.dll" beside the program: its bytes up to the
// first NUL. False when it is missing, empty or short (the field then keeps
// its value).
bool ReadLocalVersion(UpdateInfo& info);
