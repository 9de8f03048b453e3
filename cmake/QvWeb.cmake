# The browser build with emscripten (scripts/build-web.sh). The game becomes
# a module that a page creates with createQuorvadellix({canvas, ...}): it
# writes quorvadellix.js, quorvadellix.wasm and quorvadellix.data (the two
# pictures, at the root of the module's file system, where the game runs).
#
# QV_WEB_DEPS names the folder where scripts/lib/build-web-libs.sh installed SDL2 and
# libjpeg-turbo; QV_PICTURES_DIR the folder holding the pictures a native
# build drew.
set(QV_WEB_DEPS "" CACHE PATH "Folder holding the browser builds of SDL2 and libjpeg-turbo")
set(QV_PICTURES_DIR "" CACHE PATH "Folder holding the pictures a native build drew")
# Our own builds, never emscripten's SDL2 "port", which would download.
list(PREPEND CMAKE_FIND_ROOT_PATH ${QV_WEB_DEPS})
set(SDL2_DIR ${QV_WEB_DEPS}/lib/cmake/SDL2 CACHE PATH "SDL2's CMake files" FORCE)

# The game's loops wait inside main, so the module can suspend and resume
# them (ASYNCIFY); the game uses exceptions.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# qv_web_executable(<target>): the link options of the page's module. Its
# environment (ENV) takes SDL's hints, as bench/web_measure.py sets them.
function(qv_web_executable target)
  set(pictures)
  foreach(picture space_image.jpg space_image_welcome.jpg)
    list(APPEND pictures "--preload-file=${QV_PICTURES_DIR}/${picture}@/${picture}")
  endforeach()
  target_link_options(${target} PRIVATE
    -sMODULARIZE=1 -sEXPORT_NAME=createQuorvadellix -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 -sALLOW_MEMORY_GROWTH=1
    -sEXPORTED_FUNCTIONS=_main,_qv_web_key -sEXPORTED_RUNTIME_METHODS=FS,callMain,ENV
    -sENVIRONMENT=web ${pictures})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
    ${QV_PICTURES_DIR}/space_image.jpg ${QV_PICTURES_DIR}/space_image_welcome.jpg)
endfunction()
