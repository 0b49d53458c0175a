# Release archives: one ZIP for each program, named after the version and the bitness, made by
# CPack from the install rules below (scripts/package makes both bitnesses).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LVX_PLATFORM win64)
else()
  set(LVX_PLATFORM win32)
endif()
set(LVX_VERSION ${PROJECT_VERSION})

configure_file(docs/packages/lumivex-readme.txt ${CMAKE_BINARY_DIR}/packaging/lumivex/readme.txt @ONLY)
configure_file(docs/packages/uninstall-readme.txt ${CMAKE_BINARY_DIR}/packaging/uninstall/readme.txt @ONLY)

# Each archive holds one folder named as the archive itself.
set(lumivex_folder lumivex-${PROJECT_VERSION}-${LVX_PLATFORM})
set(uninstall_folder uninstall-${PROJECT_VERSION}-${LVX_PLATFORM})
install(TARGETS lumivex RUNTIME DESTINATION ${lumivex_folder} COMPONENT lumivex)
install(FILES inspector/language/English.lng inspector/core/messages.lst inspector/discovery/Classes.dsc
              ${CMAKE_BINARY_DIR}/packaging/lumivex/readme.txt $<TARGET_FILE:lvxhook>
        DESTINATION ${lumivex_folder} COMPONENT lumivex)
# The 64-bit inspector watches 32-bit programs through the 32-bit hook DLL and its helper, which
# scripts/lib.sh (lvx_exchange_targets) copies here from the 32-bit build.
set(lvx_hook_files lvxhook${LVX_HOOK_VERSION}-${LVX_HOOK_BITS}.dll)
if(LVX_HOOK_BITS EQUAL 64)
  set(lvx_helper_files lvxhook${LVX_HOOK_VERSION}-32.dll lvxhookhost${LVX_HOOK_VERSION}-32.exe)
  install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lvxhook${LVX_HOOK_VERSION}-32.dll
                ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/lvxhookhost${LVX_HOOK_VERSION}-32.exe
          DESTINATION ${lumivex_folder} COMPONENT lumivex)
  list(APPEND lvx_hook_files ${lvx_helper_files})
endif()
install(TARGETS uninstall RUNTIME DESTINATION ${uninstall_folder} COMPONENT uninstall)
install(FILES ${CMAKE_BINARY_DIR}/packaging/uninstall/readme.txt DESTINATION ${uninstall_folder} COMPONENT uninstall)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME lumivex)
set(CPACK_PACKAGE_VENDOR Narvolt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL lumivex uninstall)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_LUMIVEX_FILE_NAME ${lumivex_folder})
set(CPACK_ARCHIVE_UNINSTALL_FILE_NAME ${uninstall_folder})
# The test checks the archives against these lists: exactly these files, under the top folder.
set(LVX_PACKAGE_LUMIVEX_FILES Classes.dsc English.lng lumivex.exe messages.lst readme.txt ${lvx_hook_files})
set(LVX_PACKAGE_UNINSTALL_FILES "readme.txt;uninstall.exe")
include(CPack)
