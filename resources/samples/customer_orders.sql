-- The test database of the sample page customer_orders.wqf: the tables and columns its
-- queries name, with a few rows. Plain SQL that SQLite and PostgreSQL both read; the build
-- turns it into samples/customer_orders.sqlite beside the program.
CREATE TABLE customers (
  id INTEGER PRIMARY KEY,
  name VARCHAR(80) NOT NULL,
  note VARCHAR(500)
);

CREATE TABLE orders (
  id INTEGER PRIMARY KEY,
  customer_id INTEGER NOT NULL REFERENCES customers (id),
  placed_on DATE NOT NULL,
  total NUMERIC(10, 2) NOT NULL
);

INSERT INTO customers (id, name, note) VALUES (1, 'Ada Lindqvist', 'Pays by invoice');
INSERT INTO customers (id, name, note) VALUES (2, 'Bram Okafor', NULL);

INSERT INTO orders (id, customer_id, placed_on, total) VALUES (10, 1, '2026-01-14', 120.50);
INSERT INTO orders (id, customer_id, placed_on, total) VALUES (11, 1, '2026-02-03', 42.00);
INSERT INTO orders (id, customer_id, placed_on, total) VALUES (12, 2, '2026-02-11', 7.25);
