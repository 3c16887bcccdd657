# Libraries from Debian's packages (scripts/setup installs them).
find_package(Threads REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(CURL REQUIRED)
find_package(GTest REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
pkg_check_modules(TINYXML REQUIRED IMPORTED_TARGET tinyxml)
pkg_check_modules(LIBMD REQUIRED IMPORTED_TARGET libmd)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
# Its flags carry ABI-relevant defines: every user must take them.
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)
