#!/usr/bin/perl
# A sound card for the Windows check. ALSA's file plugin pipes the game's
# sound here as WAV on its way to the null device; this reads it no faster
# than it plays, so that the game's waits on its sounds last as long as on a
# real card (the null device alone takes sound as fast as it comes), and
# keeps "BYTES_PER_SECOND BYTES NOT_SILENT" in the file named by the argument.
# Usage: sound_sink.pl COUNT_FILE < WAV
use strict;
use warnings;
use Time::HiRes qw(time sleep);

my $report = $ARGV[0] or die "usage: sound_sink.pl COUNT_FILE\n";
binmode STDIN;
my $head = '';
while (length($head) < 44) {
    my $got = sysread(STDIN, $head, 44 - length($head), length($head));
    exit 0 unless $got;
}
my ($channels, $rate, $bits) = (unpack('v', substr($head, 22, 2)), unpack('V', substr($head, 24, 4)),
                                unpack('v', substr($head, 34, 2)));
my $per_second = $rate * $channels * $bits / 8;
die "sound_sink.pl: not a WAV stream\n" unless substr($head, 0, 4) eq 'RIFF' && $per_second > 0;

my ($start, $bytes, $loud, $written) = (time, 0, 0, 0);
sub write_report {
    open(my $out, '>', "$report.new") or die "sound_sink.pl: $report.new: $!\n";
    print $out "$per_second $bytes $loud\n";
    close $out;
    rename("$report.new", $report) or die "sound_sink.pl: $report: $!\n";
    $written = time;
}
write_report();
my $buffer;
while (my $got = sysread(STDIN, $buffer, 8192)) {
    $bytes += $got;
    $loud += ($buffer =~ tr/\0//c);
    my $ahead = $bytes / $per_second - (time - $start);
    sleep($ahead) if $ahead > 0;
    write_report() if time - $written > 0.5;
}
write_report();
