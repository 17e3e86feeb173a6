use strict; use warnings; use utf8; use Encode; use RTF::Writer;
sub hexbytes { my ($s, $enc) = @_; my $b = encode($enc, $s); join '', map { $_ < 128 ? ($_ == 92 ? '\\\\' : $_ == 123 ? '\\{' : $_ == 125 ? '\\}' : chr $_) : sprintf("\\'%02x", $_) } unpack 'C*', $b; }
sub dbcs_doc {
  my ($file, $cpg, $fcs, $font, $lang, @paras) = @_;
  my $r = RTF::Writer->new_to_file($file);
  $r->prolog(fonts => [\'\froman\fcharset0 Times New Roman', \"\\fnil\\fcharset$fcs\\fprq2 " . $font], more_default => \"\\ansicpg$cpg\\deflang1033\\deflangfe$lang", doccomm => undef, creatim => undef, revtim => undef);
  for my $p (@paras) { $r->print(\"\\pard\\plain\\f1\\fs24\\lang$lang " . hexbytes($p, "cp$cpg") . "\\par\n"); }
  $r->print(\"\\pard\\plain\\f0 English line at the end.\\par\n");
  $r->close;
}
dbcs_doc('rw-cp932-japanese.rtf', 932, 128, 'MS Mincho', 1041, 'いろはにほへと ちりぬるを わかよたれそ つねならむ。', '今日は良い天気ですね。東京都の人口は約千四百万人です。', 'ソフトウェアの表示テスト：ソ、表、能、十、予。');
dbcs_doc('rw-cp936-chinese.rtf', 936, 134, 'SimSun', 2052, '我能吞下玻璃而不伤身体。', '春天来了，花园里的花都开了。', '每两周施一次稀释的肥料，冬季停止施肥。');
dbcs_doc('rw-cp949-korean.rtf', 949, 129, 'Batang', 1042, '나는 유리를 먹을 수 있어요. 그래도 아프지 않아요.', '오늘은 날씨가 좋습니다. 공원에 산책하러 갑시다.');
dbcs_doc('rw-cp950-big5.rtf', 950, 136, 'PMingLiU', 1028, '我能吞下玻璃而不傷身體。', '天氣晴朗，適合在公園裡散步。', '這本書的內容非常豐富，值得一讀。');
dbcs_doc('rw-cp1251-russian.rtf', 1251, 204, 'Times New Roman Cyr', 1049, 'Съешь же ещё этих мягких французских булок, да выпей чаю.', 'Широкая электрификация южных губерний даст мощный толчок подъёму сельского хозяйства.', 'Пересаживать лучше всего ранней весной, до начала роста.');
dbcs_doc('rw-cp1253-greek.rtf', 1253, 161, 'Arial Greek', 1032, 'Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. Τα φύλλα πέφτουν το φθινόπωρο.');
# Shift-JIS with lead bytes escaped and ASCII-range trail bytes raw, as some writers emit
{
  my $r = RTF::Writer->new_to_file('rw-cp932-raw-trail.rtf');
  $r->prolog(fonts => [\'\fnil\fcharset128\fprq1 MS Gothic'], more_default => \'\ansicpg932\deflangfe1041', doccomm => undef, creatim => undef, revtim => undef);
  for my $p ('ソフト表示の能力と十分な予定。', '漢字とかなの混じった文です。') {
    my $b = encode('cp932', $p); my $out = ''; my @c = unpack 'C*', $b;
    for (my $i = 0; $i < @c; $i++) {
      my $c = $c[$i];
      if (($c >= 0x81 && $c <= 0x9f) || ($c >= 0xe0 && $c <= 0xfc)) { my $t = $c[++$i]; $out .= sprintf("\\'%02x", $c) . ($t >= 0x40 && $t < 0x7f && $t != 0x5c && $t != 0x7b && $t != 0x7d ? chr($t) : sprintf("\\'%02x", $t)); }
      else { $out .= $c < 128 ? chr($c) : sprintf("\\'%02x", $c); }
    }
    $r->print(\"\\pard\\f0\\lang1041 $out\\par\n");
  }
  $r->close;
}
{
  my $r = RTF::Writer->new_to_file('rw-unicode.rtf');
  $r->prolog(fonts => ['Arial', 'MS Mincho'], doccomm => undef, creatim => undef, revtim => undef);
  $r->paragraph(\'\fs28\b', 'Unicode paragraphs');
  $r->paragraph('Съешь же ещё этих мягких французских булок — «цитата».');
  $r->paragraph(\'\f1', '今日は良い天気ですね。我能吞下玻璃而不伤身体。나는 유리를 먹을 수 있어요.');
  $r->paragraph('Zażółć gęślą jaźń. Příliš žluťoučký kůň. Ξεσκεπάζω την ψυχοφθόρα βδελυγμία. € ™ … “”');
  $r->close;
}
{
  my $r = RTF::Writer->new_to_file('rw-tables.rtf');
  $r->prolog(fonts => ['Times New Roman', 'Courier New'], doccomm => undef, creatim => undef, revtim => undef);
  $r->paragraph(\'\b', 'A table made by RTF::Writer');
  my $decl = RTF::Writer::TableRowDecl->new(widths => [1800, 2400, 1200], borders => 'n s e w');
  $r->row($decl, 'Plant', 'Where it grows', 'Height');
  $r->row($decl, 'Aloe', 'dry sunny places', '60 cm');
  $r->row($decl, 'Fern', \'{\i moist shade}', '40 cm');
  $r->row($decl, 'Ivy', 'walls and trees', 'climbing');
  $r->paragraph('Text between tables.');
  $r->table(['one', 'two'], ['three', 'four'], ['five', 'six']);
  $r->paragraph('Text after tables.');
  $r->close;
}
{
  my $r = RTF::Writer->new_to_file('rw-header-footer-fields.rtf');
  $r->prolog(fonts => ['Times New Roman', 'Arial'], doccomm => undef, creatim => undef, revtim => undef);
  $r->print(\'{\header \pard\qc\f1\fs18 Header text of the garden diary\par}');
  $r->print(\'{\footer \pard\qr\f1\fs18 Page {\field{\*\fldinst PAGE}{\fldrslt 1}} of {\field{\*\fldinst NUMPAGES}{\fldrslt 2}}\par}');
  $r->paragraph('The first paragraph of the body, with a link to ', \'{\field{\*\fldinst HYPERLINK "https://example.org/diary"}{\fldrslt {\ul\cf2 the online diary}}}', ' and a date field: ', \'{\field{\*\fldinst DATE \\\\@ "d MMMM yyyy"}{\fldrslt 7 December 2026}}', '.');
  $r->paragraph('A sentence with a footnote', \'{\super\chftn}{\footnote\pard\plain{\super\chftn} Footnote text of the first note.}', ' and text after it.');
  $r->paragraph('A sentence with an endnote', \'{\super\chftn}{\footnote\ftnalt\pard\plain{\super\chftn} Endnote text.}', ' continues here.');
  $r->paragraph('A merged field: ', \'{\field{\*\fldinst MERGEFIELD Name}{\fldrslt Ann Gardener}}', ', and a bookmark ', \'{\*\bkmkstart here}marked{\*\bkmkend here}', ' word.');
  $r->paragraph('Annotation ', \'{\*\atnid AG}{\*\atnauthor Ann}\chatn{\*\annotation\pard\plain Remember to water.}', 'after the annotation.');
  $r->close;
}
{
  my $r = RTF::Writer->new_to_file('rw-picture.rtf');
  $r->prolog(fonts => ['Times New Roman'], doccomm => undef, creatim => undef, revtim => undef);
  $r->paragraph('Picture below:');
  $r->image_paragraph(filename => 'leaf.png');
  $r->paragraph('Picture above, text after.');
  $r->close;
}
{
  my $r = RTF::Writer->new_to_file('rw-styles-lists.rtf');
  $r->prolog(fonts => ['Times New Roman', 'Symbol'], doccomm => undef, creatim => undef, revtim => undef,
    stylesheet => \'{\stylesheet{\s0 Normal;}{\s1\b\fs32 heading 1;}}');
  $r->print(\'\pard\s1\b\fs32 Chapter heading\par\pard\plain ');
  for my $i (1..3) { $r->print(\"{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent360{\\pntxtb\\'b7}}\\pard\\fi-360\\li720 Bullet item $i\\par\n"); }
  for my $i (1..3) { $r->print(\"{\\pntext $i.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta .}}\\pard\\fi-360\\li720 Numbered item $i\\par\n"); }
  $r->print(\'\pard\plain Closing paragraph with \b bold\b0 , \i italic\i0 , \ul underline\ulnone , \strike strike\strike0  and {\cf1 red} text.\par');
  $r->close;
}
