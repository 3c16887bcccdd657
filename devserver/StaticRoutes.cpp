// Usage statistics and the update description with its installer files.
#include <fstream>
#include <iterator>
#include <memory>

#include "HttpService.h"
#include "Ids.h"
#include "UpdateSigning.h"

namespace devserver {

void HttpService::Statistics(Exchange& ex) {
  // ".../stat.cloudstorage.pc/<mac>/<category>/<event>"; the event may hold "/".
  const std::string marker = "stat.cloudstorage.pc/";
  std::string target = ex.req.target.substr(0, ex.req.target.find('?'));
  std::string rest = target.substr(target.find(marker) + marker.size());
  size_t a = rest.find('/');
  size_t b = a == std::string::npos ? std::string::npos : rest.find('/', a + 1);
  if (b == std::string::npos) {
    ex.res.status = 404;
    ex.res.set_content("", "text/plain");
    return;
  }
  std::string mac = PercentDecode(rest.substr(0, a));
  std::string category = PercentDecode(rest.substr(a + 1, b - a - 1));
  std::string event = PercentDecode(rest.substr(b + 1));
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    Stmt s(m_store, "INSERT INTO stats(mac, category, event, time) VALUES(?,?,?,?)");
    s.Bind(1, mac).Bind(2, category).Bind(3, event).Bind(4, NowMs()).Run();
  }
  ex.res.status = 200;
  ex.res.set_content("OK", "text/plain");
}

void HttpService::UpdateFile(Exchange& ex) {
  const std::string prefix = "/client/dorv/update/";
  std::string name = ex.req.path.substr(prefix.size());
  auto notFound = [&] {
    ex.res.status = 404;
    ex.res.set_content("", "text/plain");
  };
  if (m_options.updateDir.empty()) return notFound();
  // Only files below the update folder: no "..", no absolute names.
  std::filesystem::path relative(name);
  if (relative.is_absolute() || name.empty()) return notFound();
  for (const auto& part : relative)
    if (part == ".." || part == ".") return notFound();
  std::filesystem::path file = m_options.updateDir / relative;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return notFound();
  auto size = std::filesystem::file_size(file, ec);
  if (ec) return notFound();
  auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (!*in) return notFound();
  const_cast<httplib::Request&>(ex.req).ranges.clear();
  ex.res.status = 200;
  if (file.extension() == ".xml") {
    // The description carries the signature of the installer it offers.
    const std::string xml((std::istreambuf_iterator<char>(*in)), std::istreambuf_iterator<char>());
    return ex.res.set_content(SignedDescription(xml, m_options.updateDir), "text/xml");
  }
  const std::string type = "application/octet-stream";
  if (size == 0) return ex.res.set_content("", type);
  ex.res.set_content_provider(size, type, [in](size_t offset, size_t want, httplib::DataSink& sink) {
    std::vector<char> buffer(std::min<size_t>(want, 1 << 20));
    in->clear();
    in->seekg(static_cast<std::streamoff>(offset));
    in->read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (in->gcount() <= 0) return false;
    return sink.write(buffer.data(), static_cast<size_t>(in->gcount()));
  });
}

}  // namespace devserver
