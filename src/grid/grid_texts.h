// The texts the grid views show.
#pragma once

// The heading of the hex dump's text column.
inline constexpr char kTextColumnHeading[] = "内容";
