-- nothing
/* at all */ ;