#pragma once
#include <stdexcept>
#include <string>

namespace devserver {

// Codes of the service, sent in the reply's "code" with HTTP status 200.
namespace Code {
constexpr int Ok = 200;
constexpr int BadRequest = 400;
constexpr int CertError = 401;
constexpr int Forbidden = 403;
constexpr int NotFound = 404;
constexpr int RequestTimeout = 408;
constexpr int ClientIdInvalid = 413;
constexpr int AccountNotFound = 420;
constexpr int WrongPassword = 460;
constexpr int Internal = 500;
constexpr int NotImplemented = 501;
constexpr int FileNotFound = 555;
constexpr int FileVerNotFound = 556;
constexpr int FileSizeLimitExceed = 600;
constexpr int FileNotComplete = 601;
constexpr int UploadContextIllegal = 605;
constexpr int FileVerConflict = 610;
constexpr int NameConflict = 611;
constexpr int FileNameTooLong = 612;
constexpr int DirPathIllegal = 700;
constexpr int DirRecursiveActDenied = 701;
constexpr int DirNotEmpty = 702;
constexpr int DirNotExist = 704;
constexpr int DirLayersExceed = 705;
constexpr int UserCapacityExceed = 800;
constexpr int UserFilesNumExceed = 801;
constexpr int UserDirsNumExceed = 802;
constexpr int ChecksumError = 1005;
}  // namespace Code

// Thrown by an operation to answer with an error code; the router turns it into
// {"code": code, "result": {"message": ...}}. Keep messages free of braces: the
// client rejects short replies whose braces don't balance.
class ServiceError : public std::runtime_error {
 public:
  ServiceError(int code, const std::string& message) : std::runtime_error(message), m_code(code) {}
  int code() const { return m_code; }

 private:
  int m_code;
};

}  // namespace devserver
