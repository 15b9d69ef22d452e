bogus
