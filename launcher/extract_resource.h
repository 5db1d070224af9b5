// Writing one of the launcher's embedded programs into the temp folder.
#pragma once

#include <cstdint>
#include <string>

// Writes the resource `id` of type "RES" of the running executable to the temp folder
// (GetTempPathA, which ends with a backslash) under the bare file name `fileName`.
//
// true: the file holds exactly the resource's bytes (an older file of that name is
//   overwritten) and `fileName` now holds its full path.
// false, `fileName` unchanged:
//   - silently when the resource cannot be found, loaded or mapped;
//   - after the blocking, ownerless error box "系统临时目录不可写,请检查系统盘空间是否足够!"
//     (caption "错误") when the file cannot be created, its bytes cannot all be written, or the
//     temp folder and the name together do not fit in MAX_PATH bytes (such a path is refused,
//     never truncated).
bool ExtractResourceToTemp(std::uint16_t id, std::string& fileName);
