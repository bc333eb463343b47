# Debian's hardening flags, as dpkg-buildflags gives them, for the optimised builds that are
# packaged (release and dev): checked string and memory functions, stack protectors, a relocation
# table made read-only after every symbol is bound at start, position-independent programs. The
# sanitizers' builds bring their own checks and are left as they are.
option(TWK_HARDEN "Build with Debian's hardening flags (optimised builds without sanitizers)" ON)

if(TWK_HARDEN AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$"
   AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
  add_link_options(LINKER:-z,relro LINKER:-z,now)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  include(CheckPIESupported)
  check_pie_supported()
endif()
