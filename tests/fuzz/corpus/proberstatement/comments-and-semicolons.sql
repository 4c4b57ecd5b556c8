SELECT name FROM customers /* a */ ; /* b ; c */ ;

  