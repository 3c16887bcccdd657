# The Ed25519 public keys whose signatures let a downloaded installer run.
#
# A release build takes the release key alone:
#   cmake -DDORV_ACCEPT_TEST_UPDATE_KEY=OFF -DDORV_UPDATE_RELEASE_KEY=<64 hex digits> ...
# A development build (the default) also takes the test key below. Its secret
# half is written here in the open, so that the tests and the local service's
# --update can sign what they serve: no program built with it may be shipped.
option(DORV_ACCEPT_TEST_UPDATE_KEY "Installers signed with the public test key run (development builds only)" ON)
set(DORV_UPDATE_RELEASE_KEY "" CACHE STRING "The release key's public half, 64 hex digits")

set(DORV_UPDATE_TEST_SEED 0c50d400621a6d2e6ecbde04e34159141a49a7e359bd175b1f76e0bf5f85eaa6)
set(DORV_UPDATE_TEST_PUBLIC_KEY bd4a956071b91432ac13f7dc0d6cb137e964e5a1b6fb13e0827f2f37f6fe1eef)

set(DORV_UPDATE_KEYS "")
if(NOT DORV_UPDATE_RELEASE_KEY STREQUAL "")
  string(LENGTH "${DORV_UPDATE_RELEASE_KEY}" _length)
  if(NOT _length EQUAL 64 OR NOT DORV_UPDATE_RELEASE_KEY MATCHES "^[0-9a-fA-F]+$")
    message(FATAL_ERROR "DORV_UPDATE_RELEASE_KEY must be 64 hex digits")
  endif()
  list(APPEND DORV_UPDATE_KEYS ${DORV_UPDATE_RELEASE_KEY})
endif()
if(DORV_ACCEPT_TEST_UPDATE_KEY)
  list(APPEND DORV_UPDATE_KEYS ${DORV_UPDATE_TEST_PUBLIC_KEY})
endif()
if(DORV_UPDATE_KEYS STREQUAL "")
  message(FATAL_ERROR "Without the test key (DORV_ACCEPT_TEST_UPDATE_KEY=OFF) a build needs DORV_UPDATE_RELEASE_KEY")
endif()
string(REPLACE ";" "," DORV_UPDATE_KEYS "${DORV_UPDATE_KEYS}")
