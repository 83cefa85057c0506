# POSIX file-system and memory sources of the storage subsystem.
target_sources(tavlo_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PosixFile.h ${CMAKE_CURRENT_LIST_DIR}/PosixFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixRead.h ${CMAKE_CURRENT_LIST_DIR}/PosixRead.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixSave.h ${CMAKE_CURRENT_LIST_DIR}/PosixSave.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixTempFile.h ${CMAKE_CURRENT_LIST_DIR}/PosixTempFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixMetadata.h ${CMAKE_CURRENT_LIST_DIR}/PosixMetadata.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PosixMemory.h ${CMAKE_CURRENT_LIST_DIR}/PosixMemory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UndecodableNames.h ${CMAKE_CURRENT_LIST_DIR}/UndecodableNames.cpp
)
