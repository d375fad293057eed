#!/usr/bin/env perl
# Every relative link of README.md, HACKING.md and docs/*.md leads to a file
# of the repository, and every repository path they name in backticks exists,
# so that a renamed or removed file is not still pointed at. A failure names
# the document, the line and the path.
# Usage: links_test.pl SOURCE_DIR
use strict;
use warnings;
use File::Find;

my $root = shift // die "usage: links_test.pl SOURCE_DIR\n";
chdir $root or die "cannot enter $root: $!\n";

# Every file of the tree but the builds', by path and by name, so that a
# path given from inside its part of the tree (`sdl/display.cpp`) is found.
my (%file, %dir, @all);
find({ no_chdir => 1, wanted => sub {
    my $p = $File::Find::name =~ s{^\./}{}r;
    if (-d $_ && m{^\./(?:build|dist|\.git|node_modules)$|/node_modules$}) { $File::Find::prune = 1; return }
    if (-d $_) { $dir{$p} = 1 } else { $file{$p} = 1; push @all, $p }
} }, '.');

# Files the build or the programs make; documents name them as they are made.
my %made = map { $_ => 1 } qw(
    qorb.wasm qorb.js sw.js index.html manifest.webmanifest README.txt LICENSE.txt SHA256SUMS
    RELEASE-NOTES.md run.txt run.jsonl game565.6.gz game555.6.gz qorb-sim.6.gz);
my $source_ext = qr/\.(?:cpp|h|sh|js|mjs|pl|py|cmake|md|json|in|png|gif|dict|txt|xml|desktop|rc|manifest|script)$/;

sub exists_in_tree {
    my ($path, $from) = @_;
    $path =~ s{/$}{};
    return 1 if $path eq '' || $file{$path} || $dir{$path};
    my $near = $from eq '.' ? $path : "$from/$path";
    1 while $near =~ s{[^/]+/\.\./}{};
    return 1 if $file{$near} || $dir{$near};
    return 0 if $path =~ m{^\.\.?/};
    # Named from inside its part of the tree: some file or folder ends so.
    my $tail = "/$path";
    return 1 if grep { substr($_, -length $tail) eq $tail } @all, keys %dir;
    return 0;
}

my @docs = ('README.md', 'HACKING.md', sort glob('docs/*.md'));
my $failures = 0;
for my $doc (@docs) {
    open my $in, '<', $doc or die "$doc: $!\n";
    (my $from = $doc) =~ s{/?[^/]*$}{};
    $from = '.' if $from eq '';
    my $fenced = 0;
    while (my $line = <$in>) {
        $fenced = !$fenced if $line =~ /^```/;
        next if $fenced || $line =~ /^(?: {4}|\t)/ && $line !~ /^\s*[-|*]/;
        # Links and pictures: [text](target).
        while ($line =~ /\]\(([^)\s]+)\)/g) {
            my $target = $1;
            next if $target =~ m{^(?:[a-z]+:|#|/)};
            $target =~ s/#.*//;
            next if exists_in_tree($target, $from);
            print "FAIL: $doc:$.: the link to '$target' leads nowhere\n";
            $failures++;
        }
        # Paths in backticks; a command's words each.
        while ($line =~ /`([^`]+)`/g) {
            for my $word (split /\s+/, $1) {
                $word =~ s/^[-\w]+=//;    # -dict=fuzz/bmp.dict, NAME=value
                $word =~ s/[,.;:)]+$//;
                next unless $word =~ m{/} || $word =~ $source_ext;
                # URLs, runtime places, an installation's folders, the build's and
                # the release's output, media types, placeholders, options and
                # patterns.
                next if $word =~ m{^(?:[a-z]+:|/|~|\$|-|build/|dist/|\.\./share|bin/|share/)};
                next if $word =~ m{^(?:application|text|image|audio|video)/} || $word =~ m{[<>*{}\[\]|:?=\\]};
                next if $word =~ m{^[A-Z_]+\.[a-z]+$};    # FILE.png
                next if $word =~ m{^\.?/?[^/]*$} && $made{$word};
                next if exists_in_tree($word, $from) || exists_in_tree("$word.in", $from);
                print "FAIL: $doc:$.: '$word' names no file of the repository\n";
                $failures++;
            }
        }
    }
    close $in;
}
if ($failures) {
    print "$failures missing; fix the document or the path\n";
    exit 1;
}
print "PASS: every link and path of ", scalar(@docs), " documents exists\n";
