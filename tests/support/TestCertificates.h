#pragma once
// A throwaway certificate authority and server certificates for TLS tests,
// made with the openssl command in a folder of the test's: a trusted CA, an
// untrusted one, and leaves that are good, expired, for another host, or
// self-signed. Every leaf names localhost and 127.0.0.1 unless it is the
// one for another host.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TestCertificates {
 public:
  struct Pair {
    std::string certificate;
    std::string key;
  };

  explicit TestCertificates(const std::filesystem::path& directory) : dir_(directory) {
    std::filesystem::create_directories(dir_);
    ok_ = makeCa("trusted") && makeCa("stranger") && makeLeaf("good", "trusted", kLocalNames, {}) &&
          makeLeaf("expired", "trusted", kLocalNames, "-startdate 20200101000000Z -enddate 20200102000000Z") &&
          makeLeaf("otherhost", "trusted", "DNS:other.example", {}) &&
          makeLeaf("unknownca", "stranger", kLocalNames, {}) && makeSelfSigned("selfsigned");
  }
  bool ok() const { return ok_; }
  // The CA file a client trusts (SSL_CERT_FILE).
  std::string trustedCa() const { return (dir_ / "trusted.crt").string(); }
  Pair leaf(const std::string& name) const {
    return {(dir_ / (name + ".crt")).string(), (dir_ / (name + ".key")).string()};
  }

 private:
  static constexpr const char* kLocalNames = "DNS:localhost,IP:127.0.0.1";

  bool run(const std::string& command) const {
    const std::string line = "cd '" + dir_.string() + "' && " + command + " >>openssl.log 2>&1";
    return std::system(line.c_str()) == 0;
  }

  bool makeCa(const std::string& name) const {
    return run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 -subj '/CN=Corvane test " + name + " CA' -keyout " +
               name + ".key -out " + name + ".crt -addext basicConstraints=critical,CA:TRUE -addext " +
               "keyUsage=critical,keyCertSign,cRLSign");
  }

  // Signed through `openssl ca`, which alone takes dates in the past.
  bool makeLeaf(const std::string& name, const std::string& ca, const std::string& names,
                const std::string& dates) const {
    const std::string folder = "ca-" + name;
    std::filesystem::create_directories(dir_ / folder);
    std::ofstream(dir_ / folder / "index.txt").close();
    std::ofstream(dir_ / folder / "serial") << "1000\n";
    std::ofstream(dir_ / folder / "ca.cnf")
        << "[ca]\ndefault_ca=test\n[test]\ndir=" << (dir_ / folder).string()
        << "\ndatabase=$dir/index.txt\nserial=$dir/serial\nnew_certs_dir=$dir\ndefault_md=sha256\n"
        << "policy=anything\ncopy_extensions=copy\nunique_subject=no\ndefault_days=30\n"
        << "[anything]\ncommonName=supplied\n";
    return run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -subj /CN=" + name + " -keyout " + name + ".key -out " + name +
               ".csr -addext subjectAltName=" + names) &&
           run("openssl ca -batch -notext -config " + folder + "/ca.cnf -cert " + ca + ".crt -keyfile " + ca +
               ".key -in " + name + ".csr -out " + name + ".crt " + (dates.empty() ? "-days 30" : dates));
  }

  bool makeSelfSigned(const std::string& name) const {
    return run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 30 -subj /CN=" + name + " -keyout " + name +
               ".key -out " + name + ".crt -addext subjectAltName=" + std::string(kLocalNames));
  }

  std::filesystem::path dir_;
  bool ok_ = false;
};
