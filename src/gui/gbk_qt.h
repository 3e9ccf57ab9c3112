#pragma once
// The one crossing between program text (GBK byte strings) and Qt's UTF-16 strings.
#include <QString>

#include <string>
#include <string_view>

namespace tessaly {

QString from_gbk(std::string_view gbk_text);
std::string to_gbk(const QString& text);

// Control texts use LF; program texts use CR LF.
QString from_gbk_lines(std::string_view gbk_text);
std::string to_gbk_lines(const QString& text);

// Native file paths (UTF-8 on Linux) <-> QString.
inline QString from_path(const std::string& path) { return QString::fromStdString(path); }
inline std::string to_path(const QString& path) { return path.toStdString(); }

}  // namespace tessaly
