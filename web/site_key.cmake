# Writes SITE/index.html and SITE/sw.js from SOURCE/index.html.in and
# SOURCE/sw.js.in, keyed by the build: VERSION (the project's) and a hash of
# every file the page runs. The page fetches those files by that key and
# checks each by its hash, so that a page only ever runs one build's files;
# the offline worker keeps the build under its key.
# Usage: cmake -DSITE=DIR -DVERSION=V -DSOURCE=DIR -P site_key.cmake
cmake_minimum_required(VERSION 3.25)

# The page's modules (from SOURCE: written into SITE asking for each other by
# the build), the module's files (built into SITE), and the other files the
# offline worker keeps.
set(modules page.js controls.js pads.js sound.js picture.js input_queue.js input_ring.js making.js game.js
    game_worker.js touch.js)
set(built qorb.js qorb.wasm)
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
foreach(name IN LISTS modules)
  file(SHA256 ${SOURCE}/${name} hash)
  string(APPEND hashes "\n${name} ${hash}")
endforeach()
foreach(name IN LISTS built plain)
  if(NOT EXISTS ${SITE}/${name})
    message(FATAL_ERROR "site_key: ${SITE}/${name} is missing")
  endif()
  file(SHA256 ${SITE}/${name} hash)
  string(APPEND hashes "\n${name} ${hash}")
endforeach()
string(SHA256 key "${hashes}")
string(SUBSTRING ${key} 0 16 key)
set(QORB_BUILD "${VERSION}-${key}")

# Each module as the site serves it: its imports of the others by the build.
foreach(name IN LISTS modules)
  file(READ ${SOURCE}/${name} text)
  string(REGEX REPLACE "'\\./([a-z_]+)\\.js'" "'./\\1.js?v=${QORB_BUILD}'" text "${text}")
  file(WRITE ${SITE}/${name}.new "${text}")
  file(SHA256 ${SITE}/${name}.new new)
  if(EXISTS ${SITE}/${name})
    file(SHA256 ${SITE}/${name} old)
  else()
    set(old "")
  endif()
  if(new STREQUAL old)
    file(REMOVE ${SITE}/${name}.new)
  else()
    file(RENAME ${SITE}/${name}.new ${SITE}/${name})
  endif()
endforeach()

# The hash each file the page runs is checked by.
set(files_json "")
foreach(name IN LISTS modules built)
  file(SHA256 ${SITE}/${name} hash)
  base64_of_hex(${hash} digest)
  string(MAKE_C_IDENTIFIER "QORB_SRI_${name}" variable)
  string(TOUPPER ${variable} variable)
  set(${variable} "sha256-${digest}")
  if(files_json)
    string(APPEND files_json ", ")
  endif()
  string(APPEND files_json "\"${name}\": \"sha256-${digest}\"")
endforeach()
set(QORB_CHECKED_FILES "{${files_json}}")

# The worker keeps the page as it is navigated to, the files it runs by the
# build's key, and the manifest.
set(QORB_CACHED_FILES "'index.html'")
foreach(name IN LISTS modules built)
  string(APPEND QORB_CACHED_FILES ", '${name}?v=${QORB_BUILD}'")
endforeach()
foreach(name IN LISTS plain)
  string(APPEND QORB_CACHED_FILES ", '${name}'")
endforeach()
configure_file(${SOURCE}/index.html.in ${SITE}/index.html @ONLY)
configure_file(${SOURCE}/sw.js.in ${SITE}/sw.js @ONLY)
