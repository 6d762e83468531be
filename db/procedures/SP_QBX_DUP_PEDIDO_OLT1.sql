-- Number of live orders of the supplier with this external number, leaving
-- out the order being changed (an order id of 0 or NULL means a new order).
CREATE PROCEDURE SP_QBX_DUP_PEDIDO_OLT1 (@NUM_PEDIDO_EXTERNO TEXT, @FORNECEDOR_ID INTEGER, @PEDIDO_ID INTEGER)
AS
SELECT COUNT(*) AS Contador
  FROM PEDIDO
 WHERE NUM_PEDIDO_EXTERNO = @NUM_PEDIDO_EXTERNO
   AND FORNECEDOR_ID = @FORNECEDOR_ID
   AND TAB_STATUS_ID = 1
   AND (@PEDIDO_ID IS NULL OR @PEDIDO_ID = 0 OR PEDIDO_ID <> @PEDIDO_ID);
