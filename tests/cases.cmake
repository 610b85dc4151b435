# What the tool must answer, one case a line, read twice: by CMakeLists.txt
# to register a test per case and by run.cmake to run the one it is given.
#
#   check(<name> <exit status> <exact standard output> [<argument>...])
#   lost(<name> <full|closed> <exit status> [<argument>...])
#
# check() reads standard output from a pipe.  lost() gives the tool an
# output that cannot be written: /dev/full, or a closed descriptor.

string(ASCII 10 nl)
string(ASCII 195 40 255 254 bad_utf8)             # invalid sequence, then bytes no UTF-8 has
string(REPEAT x 102400 long_arg)                  # 100 KiB
string(REPEAT "x;" 99999 many_args)
string(APPEND many_args x)                        # 100,000 arguments

#     name                    status stdout          arguments
check(option.brand            0 "MORVAX"             -m)
check(option.model            0 "QRN-5730"           -p)
check(option.version          0 "1.6.4.82307"        -v)
check(option.internal_version 0 "1.0.0.82307"        -iv)

check(bin.00_switch_oem.bin   0 "82307"              -b 00_switch_oem.bin)
check(bin.dvrrdk.bin          0 "75245"              -b dvrrdk.bin)
check(bin.kernel.bin          0 "76345"              -b kernel.bin)
check(bin.logo.bin            0 "65926"              -b logo.bin)
check(bin.manufactory.bin     0 "81499"              -b manufactory.bin)
check(bin.replace.bin         0 "76031"              -b replace.bin)
check(bin.service.bin         0 "82285"              -b service.bin)
check(bin.UI.bin              0 "81736"              -b UI.bin)
check(bin.web.bin             0 "82307"              -b web.bin)

# Only the whole name, byte for byte, finds an image.
check(name.lower_case         0 ""                   -b ui.bin)
check(name.upper_case         0 ""                   -b WEB.BIN)
check(name.no_extension       0 ""                   -b kernel)
check(name.directory          0 ""                   -b ./kernel.bin)
check(name.absolute_path      0 ""                   -b /boot/kernel.bin)
check(name.prefix             0 ""                   -b web.bi)
check(name.empty              0 ""                   -b "")
check(name.trailing_space     0 ""                   -b "web.bin ")
check(name.leading_space      0 ""                   -b " web.bin")
check(name.newline            0 ""                   -b "web.bin${nl}")
check(name.inner_newline      0 ""                   -b "web${nl}.bin")
check(name.not_utf8           0 ""                   -b "${bad_utf8}")
check(name.100KiB             0 ""                   -b "${long_arg}")

# The first argument that is an option answers; the rest is not looked at.
check(scan.no_arguments       1 "")
check(scan.unknown_only       1 ""                   x --help -h -)
check(scan.capitals           1 ""                   -M -P -V -IV -B)
check(scan.joined_letters     1 ""                   -mp -vb --m -m= "-m ")
check(scan.unknown_first      0 "QRN-5730"           x -p -m)
check(scan.first_wins         0 "1.0.0.82307"        -iv -v)
check(scan.after_answer       0 "MORVAX"             -m -b web.bin)
check(scan.b_takes_option     0 ""                   -b -v)
check(scan.b_takes_b          0 ""                   -b -b web.bin)
check(scan.b_last             0 ""                   -b)
check(scan.b_last_after_junk  0 ""                   x y -b)
check(scan.empty_first        0 "MORVAX"             "" -m)
check(scan.not_utf8_first     0 "QRN-5730"           "${bad_utf8}" -p)
check(scan.100000_first       0 "1.6.4.82307"        ${many_args} -v)

# An answer that cannot be delivered is a failure; no answer stays as it was.
lost(lost.full.brand          full   1 -m)
lost(lost.full.version        full   1 -v)
lost(lost.full.bin            full   1 -b web.bin)
lost(lost.full.unknown_bin    full   0 -b nosuch.bin)
lost(lost.closed.model        closed 1 -p)
lost(lost.closed.bin          closed 1 -b kernel.bin)
lost(lost.closed.unknown_bin  closed 0 -b nosuch.bin)
