#pragma once
// Accounts, their groups and rights, and the recycle bin.
#include "mfc/Afx.h"

namespace Common {

// Sets isAdmin when the account is an administrator (user id 0 or a member of the
// group "sudo" or "wheel"), clears it otherwise; 1 when the account was found, else 0.
int IsUserAdminPrivilege(CString& account, int& isAdmin);
// Appends the names of the account's groups; 1 on success, 0 when the account is unknown.
int GetUserGroupsLocal(CString account, CStringArray& out);
// Whether the current user has the rights (1 read, 2 write, 4 delete; 0 any access)
// on the file or folder, judged from its access list as the user's entry, else its
// groups' entries, decide; administrators have every right.
int HasRightToOption(CString path, int rights);
// Moves the file or folder to the recycle bin without asking; 1 on success.
int DeleteFileToRecycleBin(CString path);

}  // namespace Common
