# Writes SITE/index.html and SITE/sw.js from SOURCE/index.html.in and
# SOURCE/sw.js.in, keyed by the build: VERSION (the project's) and a hash of
# every file the page runs. The page fetches those files by that key and
# checks each by its hash, so that a page only ever runs one build's files;
# the offline worker keeps the build under its key.
# Usage: cmake -DSITE=DIR -DVERSION=V -DSOURCE=DIR -P site_key.cmake
cmake_minimum_required(VERSION 3.25)

# The files the page runs, and the other files the offline worker keeps.
set(checked page.js touch.js qorb.js qorb.wasm)
set(plain manifest.webmanifest)

# Subresource integrity wants the digest in base64, which CMake does not write.
function(base64_of_hex hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" digits)
  set(text "")
  set(at 0)
  while(at LESS digits)
    math(EXPR left "${digits} - ${at}")
    if(left GREATER 6)
      set(left 6)
    endif()
    string(SUBSTRING "${hex}" ${at} ${left} group)
    # Three bytes a group, the last padded with zero bytes and marked with '='.
    math(EXPR missing "(6 - ${left}) / 2")
    string(REPEAT "00" ${missing} zeros)
    math(EXPR value "0x${group}${zeros}")
    foreach(shift 18 12 6 0)
      math(EXPR index "(${value} >> ${shift}) & 63")
      string(SUBSTRING "${alphabet}" ${index} 1 char)
      string(APPEND text "${char}")
    endforeach()
    string(LENGTH "${text}" length)
    math(EXPR keep "${length} - ${missing}")
    string(SUBSTRING "${text}" 0 ${keep} text)
    string(REPEAT "=" ${missing} marks)
    string(APPEND text "${marks}")
    math(EXPR at "${at} + 6")
  endwhile()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(SHA256 ${SOURCE}/index.html.in hashes)
set(files_json "")
foreach(name IN LISTS checked plain)
  if(NOT EXISTS ${SITE}/${name})
    message(FATAL_ERROR "site_key: ${SITE}/${name} is missing")
  endif()
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND hashes "\n${name} ${hash}")
  if(name IN_LIST checked)
    base64_of_hex(${hash} digest)
    string(MAKE_C_IDENTIFIER "QORB_SRI_${name}" variable)
    string(TOUPPER ${variable} variable)
    set(${variable} "sha256-${digest}")
    if(files_json)
      string(APPEND files_json ", ")
    endif()
    string(APPEND files_json "\"${name}\": \"sha256-${digest}\"")
  endif()
endforeach()
string(SHA256 key "${hashes}")
string(SUBSTRING ${key} 0 16 key)
set(QORB_BUILD "${VERSION}-${key}")
set(QORB_CHECKED_FILES "{${files_json}}")

# The worker keeps the page as it is navigated to, the files it runs by the
# build's key, and the manifest.
set(QORB_CACHED_FILES "'index.html'")
foreach(name IN LISTS checked)
  string(APPEND QORB_CACHED_FILES ", '${name}?v=${QORB_BUILD}'")
endforeach()
foreach(name IN LISTS plain)
  string(APPEND QORB_CACHED_FILES ", '${name}'")
endforeach()
configure_file(${SOURCE}/index.html.in ${SITE}/index.html @ONLY)
configure_file(${SOURCE}/sw.js.in ${SITE}/sw.js @ONLY)
