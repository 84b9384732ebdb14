// SPDX-License-Identifier: GPL-3.0-or-later
#include "TranslationTable.h"

namespace rz408 {

namespace {
constexpr TableEntry kNone{}; // no replacement: a blank, and a log entry
} // namespace

// clang-format off
const std::array<TableEntry, 256> TranslationTable = {{
    // 0x00-0x0F  NUL SOH STX ETX EOT ENQ ACK BEL BS HT LF VT FF CR SO SI
    "\x00", "\x01", "\x02", "\x03", "\x04", "\x05", "\x06", "\x07", "\x08", "\x09", "\x0A", "\x0B", "\x0C", "\x0D", "\x0E", "\x0F",
    // 0x10-0x1F  DLE DC1 DC2 DC3 DC4 NAK SYN ETB CAN EM SUB ESC FS GS RS US
    "\x10", "\x11", "\x12", "\x13", "\x14", "\x15", "\x16", "\x17", "\x18", "\x19", "\x1A", "\x1B", "\x1C", "\x1D", "\x1E", "\x1F",
    // 0x20-0x2F  SP ! " # $ % & ' ( ) * + , - . /
    " ", "!", "\"", "#", "$", "%", "&", "'", "(", ")", "*", "+", ",", "-", ".", "/",
    // 0x30-0x3F  0 1 2 3 4 5 6 7 8 9 : ; < = > ?
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", ";", "<", "=", ">", "?",
    // 0x40-0x4F  @ A B C D E F G H I J K L M N O
    "@", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    // 0x50-0x5F  P Q R S T U V W X Y Z [ \ ] ^ _
    "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "[", "\\", "]", "^", "_",
    // 0x60-0x6F  ` a b c d e f g h i j k l m n o
    "`", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    // 0x70-0x7F  p q r s t u v w x y z { | } ~ DEL
    "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "{", "|", "}", "~", "\x7F",
    // 0x80-0x8F  € -- ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ -- Ž --
    kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
    // 0x90-0x9F  -- ‘ ’ “ ” • – — ˜ ™ š › œ -- ž Ÿ
    kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
    // 0xA0-0xAF  NBSP ¡ ¢ £ ¤ ¥ ¦ § ¨ © ª « ¬ SHY ® ¯
    kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
    // 0xB0-0xBF  ° ± ² ³ ´ µ ¶ · ¸ ¹ º » ¼ ½ ¾ ¿
    kNone, kNone, kNone, kNone, "'", kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone,
    // 0xC0-0xCF  À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
    "A", "A", "A", "A", "AE", "AA", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    // 0xD0-0xDF  Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
    "D", "N", "O", "O", "O", "O", "OE", kNone, "OE", "U", "U", "U", "UE", "Y", kNone, "ss",
    // 0xE0-0xEF  à á â ã ä å æ ç è é ê ë ì í î ï
    "a", "a", "a", "a", "ae", "aa", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // 0xF0-0xFF  ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    "d", "n", "o", "o", "o", "o", "oe", kNone, "oe", "u", "u", "u", "ue", "y", kNone, "y",
}};
// clang-format on

} // namespace rz408
