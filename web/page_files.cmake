# Run by the build once the page's files are in PAGE_DIR: removes whatever else is there, so
# the folder can be uploaded as it is, and writes the service worker with the files' list and a
# version drawn from their contents.
#   cmake -DPAGE_DIR=... -DPAGE_FILES="a;b" -DTEMPLATE=sw.js.in -P page_files.cmake
cmake_minimum_required(VERSION 3.16)

file(GLOB present RELATIVE ${PAGE_DIR} ${PAGE_DIR}/*)
foreach(name IN LISTS present)
  if(NOT name IN_LIST PAGE_FILES AND NOT name STREQUAL "sw.js")
    file(REMOVE_RECURSE ${PAGE_DIR}/${name})
  endif()
endforeach()

set(digests "")
set(PAGE_FILES_JS "'./'")
foreach(name IN LISTS PAGE_FILES)
  file(SHA256 ${PAGE_DIR}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  string(APPEND PAGE_FILES_JS ", '${name}'")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 PAGE_VERSION)
set(PAGE_FILES ${PAGE_FILES_JS})
configure_file(${TEMPLATE} ${PAGE_DIR}/sw.js @ONLY)
