#pragma once
// The owner of the theme's files, all below the program's folder:
//   Theme/Build.xml           the control trees of all forms (root "BuildRoot")
//   Theme/SkinDatas.xml       the list of skins (root "SkinsRoot", one child per
//                             skin with "Name" and "Text")
//   Theme/Default/Skin.xml    the default skin (root "UIRoot")
//   Theme/<name>/Skin.xml     a further skin, named in the list
//   PreSkin.xml               the skin in use when the program last ended
//                             (root "PreSkin" with "Name")
// Element paths are element names separated by single spaces, each taking the
// first child of that name, starting at the document ("BuildRoot MainForm").
// Used on the UI thread; the Common library deletes the one instance when it
// unloads, and the instance then remembers the current skin in PreSkin.xml.
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "common/DeletedAtShutdown.h"
#include "mfc/Afx.h"
#include "ui/skin/SkinItem.h"

namespace Common {
class CXmlDocument;
}

namespace UI {

class CUIControl;
class _SkinConfig;
struct _AssData;

// Makes a new control of the named class, or null for a name it doesn't know.
using ControlCreator = CUIControl* (*)(CString className);

class CUISkinManager : public Common::CDeletedAtShutdown {
 public:
  // The instance, created by the first call (not locked: the first call comes
  // from the UI thread at start-up). Null when it can't be allocated.
  static CUISkinManager* GetInstance();

  // Loads the build file, the skin list, the default skin and the remembered
  // skin, in this order, stopping at the first that fails. 1 when all loaded;
  // 0 when a required file is missing or not well-formed. A missing or
  // unreadable PreSkin.xml, or a remembered skin that doesn't load, leaves the
  // default skin in use and is no failure.
  int InitSkinData();
  // Appends every skin of the list (again, when called again). 0 when the list
  // can't be read.
  int LoadAllSkinItem();

  // An element of the build file, or null.
  void* GetBuildNode(const CString& path) const;

  // Appends a creator; the built-in one is first, so a creator can add
  // classes but not replace one. 1.
  int RegisterObjectCreateor(ControlCreator creator);
  // The first creator's control for the class name (compared exactly), or null.
  CUIControl* CreateSkinObject(CString className);
  // The default style record of a class; the manager owns it from now on and
  // releases a record it replaces.
  void RegisterSkinConfig(CString className, _SkinConfig* record);

  // The visual style of a class: with config null, a clone of the class's
  // default record is made first; then the style element (current skin, else
  // default skin) is read over it. Nothing for an empty style, a style
  // neither skin has, or a class without a default record.
  void ReadCssData(const CString& style, const CString& className, _SkinConfig*& config);
  // The layout record of a class over *data; a missing one leaves it.
  void ReadAssData(const CString& layout, const CString& className, _AssData* data);
  // A text style's font and colour, cached until the skin changes; both left
  // as they are when neither skin has the style.
  void GetFontAndColor(const CString& textStyle, LOGFONTW& font, COLORREF& colour);
  // An image file name of a skin attribute as a path: "%x" under the program's
  // folder, "@x" in the base skin's folder, anything else in the images folder
  // of the default skin (fromDefault) or of the current skin.
  CString TranslatePath(CString path, BOOL fromDefault) const;

  // Switches to another skin and re-skins every form.
  void SetCurrentSkin(CString name);
  void ChangeAllFormsSkin();
  int IncludeSkinBuildFile(const CString&) { return 1; }
  int IncludeSkinFile(const CString&) { return 1; }
  virtual void Release();

  // Makes `name` the current skin. 1 when its skin loaded, when it is the
  // default skin, or when the list doesn't know it (the default skin serves);
  // 0 when its Skin.xml doesn't load.
  int SetSkinFile(const CString& name);
  CString GetCurrentSkinName() const { return m_strCurrentSkin; }
  int IsThemeChanging() const { return m_bThemeChanging; }
  void GetAllSkinItem(std::vector<SkinItem>& items) const { items = m_skins; }
  // The display name of the first skin of that name (any case); empty if none.
  CString GetSkinNameText(const CString& name) const;

  // Remembers the current skin in PreSkin.xml; the result of the write.
  int SavePreSkin();

  ~CUISkinManager() override;

 protected:
  CUISkinManager();

 private:
  int LoadSkinBuildFile();
  int LoadDefaultSkin();
  int LoadPreSkin();
  void DeleteSkinContents();
  // The element at the path in the current skin, else in the default one;
  // fromDefault tells which.
  void* FindSkinElement(const CString& path, int& fromDefault) const;

  static CUISkinManager* s_pInstance;

  BOOL m_bThemeChanging = FALSE;
  const CString m_strBaseSkin;
  CString m_strCurrentSkin;
  // The current skin's folder under Theme: its name as the skin list spells it.
  CString m_strCurrentFolder;
  CString m_strRememberedSkin;
  std::unique_ptr<Common::CXmlDocument> m_pDefaultSkin;
  std::unique_ptr<Common::CXmlDocument> m_pCurrentSkin;
  std::unique_ptr<Common::CXmlDocument> m_pBuild;
  std::vector<SkinItem> m_skins;
  std::vector<ControlCreator> m_creators;
  std::map<CString, _SkinConfig*> m_records;
  std::map<CString, std::pair<LOGFONTW, COLORREF>> m_fonts;
};

}  // namespace UI
