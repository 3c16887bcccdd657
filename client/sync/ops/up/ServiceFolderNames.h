#pragma once
// The files a service folder already holds, by name, for a new file's upload:
// a file of the same name and content is adopted (its row written) instead of
// being created again under a free name. That happens when the program ended
// between the service's completion of a first upload and the row's write.
// A fresh listing also tells whether a file the service refused as changed
// meanwhile already holds the service's content.
//
// One listing of a folder (getDirFiles, not recursive) serves the uploads into
// it for a short while, so that a burst of new files costs one listing, not
// one each. Any up pump thread may call it.
#include <map>
#include <mutex>

#include <juce_core/juce_core.h>

#include "client/core/protocol/RequestHeader.h"
#include "client/core/protocol/ServerFileInfo.h"

class ServiceFolderNames {
 public:
  static constexpr juce::uint64 kListingLifeMs = 10000;

  static ServiceFolderNames& Get();

  // True with the service's record when folder holds a live file named name
  // whose content has md5 and size. False also when the folder can't be
  // listed (the upload then goes on as usual).
  bool FindSameFile(const RequestHeader& header, juce::int64 folderID, const juce::String& name,
                    const juce::String& md5, juce::int64 size, ServerFileInfo& file);
  // True with the service's current record of the live file named name in
  // folder, listed now (not from an earlier listing).
  bool FindCurrentFile(const RequestHeader& header, juce::int64 folderID, const juce::String& name,
                       ServerFileInfo& file);
  // Forgets the folder's listing: an upload into it whose answer was lost may
  // have made a file there meanwhile.
  void Forget(juce::int64 folderID);
  // Forgets every listing (a new start, another account).
  void Clear();

 private:
  struct Listing {
    juce::uint64 takenMs = 0;
    std::map<juce::String, ServerFileInfo> files;
  };
  // The record of name in folder from a listing at most maxAgeMs old.
  bool Find(const RequestHeader& header, juce::int64 folderID, const juce::String& name, juce::uint64 maxAgeMs,
            ServerFileInfo& file);

  std::mutex m_lock;
  std::map<juce::int64, Listing> m_listings;
};
